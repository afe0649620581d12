#pragma once

#include <QApplication>

namespace borderlux {

/// The busy cursor for the length of a scope (a command or a fill), given back also when the
/// scope is left by an exception on its way to the command boundary.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace borderlux
