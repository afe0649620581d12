// Qt's image plugins and the PDF writer want a GUI application object; one lives for the whole
// test run, on the offscreen platform.

#include <QGuiApplication>

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "test_platform";
        static char* argv[] = { name, nullptr };
        m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QGuiApplication* m_app = nullptr;
};

const ::testing::Environment* const environment
    = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
