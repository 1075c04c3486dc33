#include "app/workspace.h"
#include "import/external_app.h"
#include "support/recording_port.h"
#include "support/temp_home.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(ExternalApp, ArgumentsAreSplitBeforeTheExchangeNameGoesIn)
{
    const QStringList args = {QStringLiteral("01-08-2023"), QStringLiteral("31-08-2023"),
                              QStringLiteral("moje  dane.txt")};
    const Result<QStringList> out =
        ExternalApp::formatArguments(QStringLiteral("-JPK_FK  -od:%0:s %s -plik:%2:s"), args);
    ASSERT_TRUE(out) << out.reason().toStdString();
    // the name stays one argument with its two spaces; a placeholder without index goes on after the last
    EXPECT_EQ(*out, (QStringList{QStringLiteral("-JPK_FK"), QStringLiteral("-od:01-08-2023"),
                                 QStringLiteral("31-08-2023"), QStringLiteral("-plik:moje  dane.txt")}));
    const Result<QStringList> refused = ExternalApp::formatArguments(QStringLiteral("-a %5000s"), args);
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.reason().contains(QStringLiteral("-a %5000s"))) << "the error names the whole template";
}

class UsersApplication : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir::setCurrent(home.path());
        ws.start({}, home.path());
        c().setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
        c().setChecked(QStringLiteral("chb_Imp_Application_Checked"), true);
        c().setDate(QStringLiteral("ed_DataOd_Date"), QDate(2023, 8, 1));
        c().setDate(QStringLiteral("ed_DataDo_Date"), QDate(2023, 8, 31));
    }
    Controls &c() { return ws.controls(); }
    void script(const QByteArray &body)
    {
        home.write(QStringLiteral("app.sh"), "#!/bin/sh\n" + body);
        QFile::setPermissions(home.file(QStringLiteral("app.sh")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    TempHome home;
    RecordingPort port;
    Workspace ws{&port};
};

TEST_F(UsersApplication, ARelativePathStartsTheFileThatWasChecked)
{
    // the application writes each argument on a line of its own next to the exchange file
    script("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > args.txt\n");
    c().setText(QStringLiteral("fn_Imp_Aplikacja_FileName"), QStringLiteral("app.sh"));
    c().setText(QStringLiteral("fn_Imp_PlikWymiany_FileName"), QStringLiteral("plik  wymiany.txt"));
    EXPECT_EQ(ExternalApp::importThroughApplication(ws.context()), ExternalApp::Check::Passed);
    EXPECT_EQ(home.read(QStringLiteral("args.txt")),
              "-JPK_FK\n-od:01-08-2023\n-do:31-08-2023\n-plik:plik  wymiany.txt\n");
    for (const RecordingPort::Message &m : port.messages)
        EXPECT_FALSE(m.text.contains(QStringLiteral("execvp"))) << m.text.toStdString();
}

TEST_F(UsersApplication, ClosingTheWindowStopsWaitingButNotTheApplication)
{
    script("sleep 1\necho done > finished.txt\n");
    c().setText(QStringLiteral("fn_Imp_Aplikacja_FileName"), home.file(QStringLiteral("app.sh")));
    c().setText(QStringLiteral("fn_Imp_PlikWymiany_FileName"), home.file(QStringLiteral("wymiana.txt")));
    port.onProcessEvents = [this] { ws.setClosing(true); };
    QElapsedTimer waited;
    waited.start();
    ExternalApp::importThroughApplication(ws.context());
    EXPECT_LT(waited.elapsed(), 900) << "the wait ends with the window";
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("finished.txt"))));
    // the user's application finishes its work all the same
    while (!QFile::exists(home.file(QStringLiteral("finished.txt"))) && waited.elapsed() < 10000)
        QThread::msleep(50);
    EXPECT_TRUE(QFile::exists(home.file(QStringLiteral("finished.txt"))));
}

} // namespace
