#include "platform/ui/message_box.h"

#include <QMessageBox>

namespace borderlux {

void ShowMessage(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

void ShowIntegerError(QWidget* parent, const QString& text)
{
    ShowMessage(parent, QStringLiteral("'%1' is not a valid integer value").arg(text),
        QStringLiteral("Borderlux"));
}

} // namespace borderlux
