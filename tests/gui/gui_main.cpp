#include "widget_user_port.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WidgetUserPort::installPolishTranslations(); // as the program does
    usePolishForWhatIsShown();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
