#include "base/user_port.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// The core's tests run inside an application object, as the programs do: it takes the C
// library's locale from the environment (LANG=pl_PL.UTF-8 gives a decimal comma to strtod and
// printf), so a number read or written through that locale shows up here.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    usePolishForWhatIsShown(); // as the programs do: the suite passes whatever the locale
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
