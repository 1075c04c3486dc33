#include "console_port.h"
#include "support/full_disk.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct CliRun
{
    int status;
    QString out;
    QString err;
};

CliRun run(const QStringList &args, const QString &locale = QString())
{
    QProcess p;
    if (!locale.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), locale);
        env.insert(QStringLiteral("LC_ALL"), locale);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral(TAVRIX_CLI), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString fromCp1250(const QByteArray &bytes)
{
    QStringDecoder d("windows-1250");
    return d.decode(bytes);
}

TEST(Cli, SetAndSaveWritesTheSettingsFile)
{
    TempHome home;
    const CliRun r =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("set"), QStringLiteral("ed_NIP_Text=5261040828"),
             QStringLiteral("set"), QStringLiteral("chb_FAK_append_Checked=TRUE"), QStringLiteral("set"),
             QStringLiteral("ed_PelnaNazwa_Text=Żuraw Sp. z o.o."), QStringLiteral("--save")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray bytes = home.read(QStringLiteral("JPK_FA3_Ustawienia.ini"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith("[Form_ImportJPK]\r\nFormVersion=0\r\nPageControl_ActivePage=ts_Naglowek\r\n"));
    EXPECT_TRUE(bytes.contains("\r\ned_NIP_Text=5261040828\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nchb_FAK_append_Checked=TRUE\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nfn_JPK_Text=JPK_FA4.XML\r\n"));
    // Windows-1250, no byte-order mark
    EXPECT_TRUE(bytes.contains(QByteArray("ed_PelnaNazwa_Text=\xAFuraw")));
    const QStringList lines = fromCp1250(bytes).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.at(lines.size() - 3), QStringLiteral("chb_POZ_BeginIf_Checked=FALSE"));
    EXPECT_EQ(lines.size(), 1 + 1 + 74 + 2); // section, FormVersion, the controls, empty line, end
    EXPECT_FALSE(bytes.contains("\n\n")) << "every line ends with CR LF";
}

TEST(Cli, ConfigurationCodeChoosesItsFileAndAHandAddedKeySurvives)
{
    TempHome home;
    ASSERT_EQ(run({QStringLiteral("--home"), home.path(), QStringLiteral("-cnf:05"), QStringLiteral("set"),
                   QStringLiteral("ed_Gmina_Text=Pcim"), QStringLiteral("--save")})
                  .status,
              0);
    const QString file = QStringLiteral("JPK_FA4_Config05.ini");
    ASSERT_TRUE(QFile::exists(home.file(file)));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("JPK_FA3_Ustawienia.ini"))));
    home.write(file, home.read(file).replace("[Form_ImportJPK]\r\n", "[Form_ImportJPK]\r\nMojKlucz=wartosc\r\n"));

    const CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("-cnf"), QStringLiteral("05"),
                          QStringLiteral("set"), QStringLiteral("ed_Powiat_Text=Myślenice"), QStringLiteral("--save")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray bytes = home.read(file);
    EXPECT_TRUE(bytes.contains("MojKlucz=wartosc\r\n"));
    EXPECT_TRUE(bytes.contains("ed_Gmina_Text=Pcim\r\n"));
}

TEST(Cli, WithoutSaveNothingIsWritten)
{
    TempHome home;
    ASSERT_EQ(
        run({QStringLiteral("--home"), home.path(), QStringLiteral("set"), QStringLiteral("ed_NIP_Text=1")}).status, 0);
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("JPK_FA3_Ustawienia.ini"))));
}

TEST(Cli, UsageErrorsAndFailedSteps)
{
    TempHome home;
    struct Case
    {
        QStringList args;
        int status;
        const char *says;
    };
    const Case cases[] = {
        {{QStringLiteral("generate-everything")}, 2, "unknown step \"generate-everything\""},
        {{QStringLiteral("set")}, 2, "needs 1 argument"},
        {{QStringLiteral("set"), QStringLiteral("ed_NIP_Text")}, 2, "KEY=VALUE"},
        {{QStringLiteral("--bogus")}, 2, "unknown option"},
        {{}, 2, "no step given"},
        {{QStringLiteral("set"), QStringLiteral("ed_Nope_Text=1")}, 1, "unknown control"},
        {{QStringLiteral("set"), QStringLiteral("cb_PL_ItemIndex=two")}, 1, "not an integer"},
        {{QStringLiteral("import-json"), home.file(QStringLiteral("missing.json"))}, 1, "missing.json"},
    };
    for (const Case &c : cases) {
        const CliRun r = run(QStringList({QStringLiteral("--home"), home.path()}) + c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << r.err.toStdString();
    }
}

TEST(Cli, AStepThatShowedAFailureFailsTheRun)
{
    // one rule for every step: a failure message or an error box fails it, whatever the command returned
    TempHome home;
    home.write(QStringLiteral("no_marker.txt"), "bez wyróżnika\n[Naglowek_Start]\n");
    home.write(QStringLiteral("no_blocks.txt"), "pusty plik\n");
    home.write(QStringLiteral("broken.xml"), "<JPK><Naglowek>");
    home.write(QStringLiteral("jpk_vat.xml"), "<JPK><Naglowek><KodFormularza kodSystemowy=\"JPK_VAT (3)\">JPK_VAT"
                                              "</KodFormularza></Naglowek></JPK>");
    struct Case
    {
        const char *what;
        QStringList args;
        int status;
        const char *says; // on stdout, the message the command showed
    };
    const QStringList common = {QStringLiteral("set"), QStringLiteral("rb_WspolnyPlik_Checked=TRUE")};
    const QStringList marker = common + QStringList{QStringLiteral("set"), QStringLiteral("chb_wyroznik_Checked=TRUE"),
                                                    QStringLiteral("set"), QStringLiteral("edx_Wyroznik_Text=*JPK*")};
    const Case cases[] = {
        {"import of a missing file",
         common + QStringList{QStringLiteral("import"), home.file(QStringLiteral("missing.txt"))}, 1,
         "Błąd imporu danych:"},
        {"no first-line marker",
         marker + QStringList{QStringLiteral("import"), home.file(QStringLiteral("no_marker.txt"))}, 1,
         "nie zawiera ustalonego wyróżnika"},
        {"no header block", common + QStringList{QStringLiteral("import"), home.file(QStringLiteral("no_blocks.txt"))},
         1, "Brak bloku NAGŁÓWEK"},
        {"load of a broken file",
         {QStringLiteral("load"), home.file(QStringLiteral("broken.xml"))},
         1,
         "Błąd wczytania pliku XML"},
        {"load of a file the program refuses",
         {QStringLiteral("load"), home.file(QStringLiteral("jpk_vat.xml"))},
         1,
         "nie zawiera odpowiedniego atrybutu KodSystemowy"},
        {"a column that sums nothing",
         {QStringLiteral("sum"), QStringLiteral("grid_FAK"), QStringLiteral("P_2A")},
         1,
         "nie jest klasy"},
        {"e-invoices where there are none",
         {QStringLiteral("import-ksef"), home.file(QStringLiteral("broken.xml"))},
         1,
         "Wczytano plików: 1"},
        {"e-invoices with an unknown word",
         {QStringLiteral("import-ksef"), home.path(), QStringLiteral("deep")},
         1,
         ""},
        {"the e-invoice samples",
         {QStringLiteral("import-ksef"), QStringLiteral(TAVRIX_TEST_DATA "/ksef")},
         0,
         "Zaimportowano faktur: 4"},
        {"a step that succeeds", {QStringLiteral("set"), QStringLiteral("ed_NIP_Text=5261040828")}, 0, ""},
    };
    for (const Case &c : cases) {
        const CliRun r = run(QStringList({QStringLiteral("--home"), home.path()}) + c.args);
        EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.says))) << c.what << "\n" << r.out.toStdString();
        if (c.status) {
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("tavrix-jpk: "))) << c.what << r.err.toStdString();
        }
    }
}

TEST(Cli, KeepGoingRunsEveryStepAndStillFails)
{
    TempHome home;
    const QStringList failing = {QStringLiteral("--home"),      home.path(),
                                 QStringLiteral("load"),        home.file(QStringLiteral("missing.xml")),
                                 QStringLiteral("export-json"), home.file(QStringLiteral("out.json"))};
    const CliRun stops = run(failing);
    EXPECT_EQ(stops.status, 1);
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("out.json"))))
        << "without --keep-going the first failure ends the run";
    const CliRun goesOn = run(QStringList{QStringLiteral("--keep-going")} + failing);
    EXPECT_EQ(goesOn.status, 1);
    EXPECT_TRUE(QFile::exists(home.file(QStringLiteral("out.json"))));

    const CliRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("tavrix-jpk 20"))) << version.out.toStdString();
    const CliRun help = run({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains(QStringLiteral("--keep-going")) && help.out.contains(QStringLiteral("exit status")));
}

TEST(Cli, AFullDiskKeepsEveryOldFileAndSaysWhy)
{
    FullDisk disk;
    if (!disk.available())
        GTEST_SKIP()
            << "a small file system cannot be mounted here (needs root); SafeFile's own test injects the failure";
    // the program folder and every file the program writes stand on the full disk
    const QByteArray old = "stara zawartość\n";
    for (const char *name : {"JPK_FA4.xml", "out.json", "map.ccv"}) {
        QFile f(disk.file(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    }
    const QByteArray oldSettings = "[Form_ImportJPK]\r\ned_NIP_Text=5261040828\r\n\r\n";
    const QByteArray oldValidator = "<?xml version=\"1.0\"?>\n<Configuration><Moje>1</Moje></Configuration>\n";
    {
        QFile f(disk.file(QStringLiteral("JPK_FA3_Ustawienia.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(oldSettings) == oldSettings.size());
        QFile v(disk.file(QStringLiteral("ustawienia.xml")));
        ASSERT_TRUE(v.open(QIODevice::WriteOnly) && v.write(oldValidator) == oldValidator.size());
    }
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/Schemat_JPK_FA(4)_v1-0.xsd"),
                            disk.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd"))));
    QFile::link(QStringLiteral(TAVRIX_SCHEMAS), disk.file(QStringLiteral("schemas")));
    disk.fill();

    const QString home = disk.path();
    const QString sample = QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/minimal_valid.xml");
    struct Case
    {
        const char *what;
        QStringList steps;
        const char *file;
        QByteArray before;
    };
    const Case cases[] = {
        {"generate",
         {QStringLiteral("load"), sample, QStringLiteral("generate"), disk.file(QStringLiteral("JPK_FA4.xml"))},
         "JPK_FA4.xml",
         old},
        {"export-json",
         {QStringLiteral("load"), sample, QStringLiteral("export-json"), disk.file(QStringLiteral("out.json"))},
         "out.json",
         old},
        {"save-map",
         {QStringLiteral("save-map"), QStringLiteral("tab_FAK"), disk.file(QStringLiteral("map.ccv"))},
         "map.ccv",
         old},
        {"--save",
         {QStringLiteral("set"), QStringLiteral("ed_NIP_Text=1132853869"), QStringLiteral("--save")},
         "JPK_FA3_Ustawienia.ini",
         oldSettings},
        // the validator's note of its version is let go on a full disk: a valid file stays valid
        {"the validator's settings", {QStringLiteral("validate"), sample}, "ustawienia.xml", oldValidator},
    };
    for (const Case &c : cases) {
        const bool validating = QByteArray(c.what).startsWith("the validator");
        const CliRun r = run(QStringList{QStringLiteral("--home"), home, QStringLiteral("--yes")} + c.steps);
        EXPECT_EQ(r.status, validating ? 0 : 1) << c.what << "\n" << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(QString(r.out + r.err).contains(qt_error_string(ENOSPC)), !validating)
            << c.what << "\n"
            << r.out.toStdString() << r.err.toStdString();
        QFile f(disk.file(QString::fromLatin1(c.file)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.what;
        EXPECT_EQ(f.readAll(), c.before) << c.what << ": the old file was not kept";
    }
}

TEST(Cli, EveryOutputIsARegularFile)
{
    TempHome home;
    const QString sample = QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/minimal_valid.xml");
    struct Case
    {
        const char *what;
        const char *name;  // the target, made a pipe and then a folder
        QStringList steps; // "%1" stands for the target
    };
    const Case cases[] = {
        {"generate", "cel.xml", {QStringLiteral("load"), sample, QStringLiteral("generate"), QStringLiteral("%1")}},
        {"export-json",
         "cel.json",
         {QStringLiteral("load"), sample, QStringLiteral("export-json"), QStringLiteral("%1")}},
        {"report", "cel.html", {QStringLiteral("check"), QStringLiteral("report"), QStringLiteral("%1")}},
        {"save-map", "cel.ccv", {QStringLiteral("save-map"), QStringLiteral("tab_FAK"), QStringLiteral("%1")}},
        {"--messages",
         "cel.jsonl",
         {QStringLiteral("--messages"), QStringLiteral("%1"), QStringLiteral("set"),
          QStringLiteral("ed_NIP_Text=5261040828")}},
    };
    for (const Case &c : cases) {
        const QString target = home.file(QString::fromLatin1(c.name));
        for (const bool pipe : {true, false}) {
            if (pipe)
                ASSERT_EQ(mkfifo(QFile::encodeName(target).constData(), 0600), 0) << c.what;
            else
                ASSERT_TRUE(QDir(home.path()).mkdir(QString::fromLatin1(c.name))) << c.what;
            QStringList args = {QStringLiteral("--home"), home.path(), QStringLiteral("--yes")};
            for (const QString &step : c.steps)
                args << (step == u"%1" ? target : step);
            const CliRun r = run(args);
            const QString said = r.out + r.err;
            EXPECT_EQ(r.status, 1) << c.what << (pipe ? " pipe" : " folder") << "\n" << said.toStdString();
            EXPECT_TRUE(said.contains(pipe ? QStringLiteral("zwykły plik") : QStringLiteral("folder")) ||
                        said.contains(pipe ? QStringLiteral("regular file") : QStringLiteral("folder")))
                << c.what << (pipe ? " pipe" : " folder") << "\n"
                << said.toStdString();
            const QFileInfo after(target);
            EXPECT_TRUE(pipe ? after.exists() && !after.isFile() && !after.isDir() : after.isDir())
                << c.what << ": the target was replaced";
            if (pipe)
                QFile::remove(target);
            else
                QDir(home.path()).rmdir(QString::fromLatin1(c.name));
        }
    }
    // a link to a regular file is followed: the file gets the new content, the link stays
    home.write(QStringLiteral("prawdziwy.xml"), "stary");
    QFile::link(home.file(QStringLiteral("prawdziwy.xml")), home.file(QStringLiteral("link.xml")));
    const CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("--yes"), QStringLiteral("load"),
                          sample, QStringLiteral("generate"), home.file(QStringLiteral("link.xml"))});
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("link.xml"))).isSymLink());
    EXPECT_TRUE(home.read(QStringLiteral("prawdziwy.xml")).contains("<JPK"));
}

TEST(Cli, WhatReachesTheTerminalIsPrintable)
{
    TempHome home;
    // a name with an escape sequence that would clear the screen; its step fails and says so
    const QString odd = home.file(QStringLiteral("zly\x1b[2Jplik\u202E.xml")); // no such file
    const QString messages = home.file(QStringLiteral("m.jsonl"));
    const CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("--keep-going"),
                          QStringLiteral("--messages"), messages, QStringLiteral("load"), odd,
                          QStringLiteral("check-file"), home.file(QStringLiteral("brak.xml"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.out.contains(QChar(0x1b)) || r.err.contains(QChar(0x1b))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QChar(0x202E)) || r.err.contains(QChar(0x202E)));
    EXPECT_TRUE(r.err.contains(QStringLiteral("zly?[2Jplik?.xml"))) << r.err.toStdString();
    // a check-file that cannot run is in the messages file too
    EXPECT_TRUE(home.read(QStringLiteral("m.jsonl")).contains("brak.xml"))
        << home.read(QStringLiteral("m.jsonl")).constData();
}

TEST(Cli, InputsAreReadThroughACap)
{
    // a file that never ends (or one far larger than any of its kind) is refused with its
    // reason, quickly and in bounded memory, and changes nothing
    TempHome home;
    struct Case
    {
        const char *what;
        QStringList steps;
    };
    const Case cases[] = {
        {"set-template", {QStringLiteral("set-template"), QStringLiteral("/dev/zero")}},
        {"load-map", {QStringLiteral("load-map"), QStringLiteral("tab_FAK"), QStringLiteral("/dev/zero")}},
    };
    for (const Case &c : cases) {
        const CliRun r = run(QStringList{QStringLiteral("--home"), home.path()} + c.steps);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_TRUE(QString(r.out + r.err).contains(QStringLiteral("plik jest za duży")))
            << c.what << "\n"
            << r.out.toStdString() << r.err.toStdString();
    }
}

TEST(Cli, AMessagesFileThatCannotBeWrittenFailsTheRun)
{
    FullDisk disk;
    if (!disk.available())
        GTEST_SKIP() << "a small file system cannot be mounted here";
    const QString messages = disk.file(QStringLiteral("m.jsonl"));
    disk.fill();
    const CliRun r = run({QStringLiteral("--home"), disk.path(), QStringLiteral("--messages"), messages,
                          QStringLiteral("set"), QStringLiteral("ed_NIP_Text=5261040828"), QStringLiteral("check")});
    EXPECT_EQ(r.status, 1) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("could not be written"))) << r.err.toStdString();
}

TEST(Cli, BrokenJsonNamesTheFileAndTheProblem)
{
    TempHome home;
    struct Case
    {
        QByteArray json;
        const char *says;
    };
    const Case cases[] = {
        {"{\"mt_FAK_\":[{\"P_2A\":\"A\"}", "not JSON"},
        {"{\"mt_XYZ_\":[]}", "unknown part \"mt_XYZ_\""},
        {"{\"mt_FAK_\":[{\"P_99\":1}]}", "mt_FAK_ has no field \"P_99\""},
        {"{\"mt_FAK_\":[{\"P_1\":\"31.08.2023\"}]}", "mt_FAK_.P_1"},
        {"{\"header\":{\"Nazwisko\":\"x\"}}", "unknown header field \"Nazwisko\""},
        {"{\"mt_ZAM_\":[{\"idx\":1e300}]}", "mt_ZAM_.idx"},
        {"{\"mt_ZPOZ_\":[{\"idx_zal\":18446744073709551616}]}", "mt_ZPOZ_.idx_zal"},
        {"{\"mt_ZAM_\":[{\"idx\":1.5}]}", "mt_ZAM_.idx"},
        {"{\"header\":{\"DataOd\":12345}}", "header field DataOd"},
        {"{\"header\":{\"KodUrzedu\":true}}", "header field KodUrzedu"},
        {"{\"header\":{\"DataDo\":\"2023-02-30\"}}", "header field DataDo"},
        // a fault in the last record: the header and the records before it are not taken either
        {"{\"header\":{\"KodUrzedu\":\"0202\"},\"mt_FAK_\":[{\"P_2A\":\"A\"},{\"P_99\":1}]}", "record 2"},
    };
    for (const Case &c : cases) {
        home.write(QStringLiteral("in.json"), c.json);
        const CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("--keep-going"),
                              QStringLiteral("set"), QStringLiteral("ed_KodUrzedu_Text=1471"), QStringLiteral("set"),
                              QStringLiteral("ed_DataOd_Date=2023-08-01"), QStringLiteral("import-json"),
                              home.file(QStringLiteral("in.json")), QStringLiteral("export-json"),
                              home.file(QStringLiteral("out.json"))});
        EXPECT_EQ(r.status, 1) << c.json.constData();
        EXPECT_TRUE(r.err.contains(QStringLiteral("in.json"))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << r.err.toStdString();
        // a refused file changes nothing
        const QJsonObject out = QJsonDocument::fromJson(home.read(QStringLiteral("out.json"))).object();
        const QJsonObject header = out.value(QStringLiteral("header")).toObject();
        EXPECT_EQ(header.value(QStringLiteral("KodUrzedu")).toString(), QStringLiteral("1471")) << c.json.constData();
        EXPECT_EQ(header.value(QStringLiteral("DataOd")).toString(), QStringLiteral("2023-08-01"))
            << c.json.constData();
        for (const char *table : {"mt_FAK_", "mt_POZ_", "mt_ZAM_", "mt_ZPOZ_"})
            EXPECT_TRUE(out.value(QLatin1String(table)).toArray().isEmpty()) << c.json.constData() << " " << table;
    }
}

TEST(Cli, ANulInsideAJsonTextIsNeitherKeptNorLostSilently)
{
    TempHome home;
    home.write(QStringLiteral("in.json"),
               "{\"header\":{\"NIP\":\"5261040828\"},"
               "\"mt_FAK_\":[{\"P_2A\":\"FV\\u0000/1\",\"P_3A\":\"Firma\\u0001 \\uFFFF\\ud800X\",\"P_15\":1}]}");
    const QString out = home.file(QStringLiteral("JPK_FA4.xml"));
    const CliRun r =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("import-json"), home.file(QStringLiteral("in.json")),
             QStringLiteral("generate"), out, QStringLiteral("load"), out});
    ASSERT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("w 2 wartościach"))) << r.out.toStdString();
    const QByteArray xml = home.read(QStringLiteral("JPK_FA4.xml"));
    EXPECT_TRUE(xml.contains("<P_2A>FV/1</P_2A>")) << "the value goes on after the NUL";
    EXPECT_TRUE(xml.contains("<P_3A>Firma X</P_3A>"));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Wczytano dokumentów"))) << "the file the program wrote loads back";
}

TEST(Cli, JsonRoundTripAppliesTheTableRules)
{
    TempHome home;
    home.write(QStringLiteral("in.json"), R"({
      "header": {"DataOd": "2023-08-01", "DataDo": "2023-08-31", "NIP": "5261040828", "PelnaNazwa": "Łąka"},
      "mt_FAK_": [
        {"P_2A": "FV/1", "P_1": "2023-08-02", "P_15": 123.45, "P_16": true, "P_106E_3": null, "KodWaluty": "PLN"},
        {"P_2A": "FV/2", "P_15": -0.004, "RodzajFaktury": "ZAL"}
      ],
      "mt_POZ_": [
        {"P_2B": "FV/1", "P_7": "Śruby M8; ocynk", "P_8B": 1.25, "P_11": 100, "P_12_XII": "13.5"},
        {"P_7": "bez numeru", "P_11": 2.5}
      ],
      "mt_ZAM_": [ {"idx": 7, "P_2AZ": "FV/2", "WartoscZamowienia": 10}, {"idx": 9, "P_2AZ": "FV/3"} ],
      "mt_ZPOZ_": [ {"idx_zal": 9, "P_7Z": "b"}, {"idx_zal": 7, "P_7Z": "a"}, {"P_7Z": "c"} ]
    })");
    const CliRun r =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("import-json"), home.file(QStringLiteral("in.json")),
             QStringLiteral("export-json"), home.file(QStringLiteral("out.json"))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject out = QJsonDocument::fromJson(home.read(QStringLiteral("out.json"))).object();
    const QJsonObject header = out.value(QStringLiteral("header")).toObject();
    EXPECT_EQ(header.value(QStringLiteral("DataOd")).toString(), QStringLiteral("2023-08-01"));
    EXPECT_EQ(header.value(QStringLiteral("PelnaNazwa")).toString(), QStringLiteral("Łąka"));

    const QJsonArray fak = out.value(QStringLiteral("mt_FAK_")).toArray();
    ASSERT_EQ(fak.size(), 2);
    EXPECT_EQ(fak.at(0).toObject().value(QStringLiteral("P_1")).toString(), QStringLiteral("2023-08-02"));
    EXPECT_EQ(fak.at(0).toObject().value(QStringLiteral("P_15")).toDouble(), 123.45);
    EXPECT_TRUE(fak.at(0).toObject().value(QStringLiteral("P_16")).toBool());
    EXPECT_TRUE(fak.at(0).toObject().value(QStringLiteral("P_106E_3")).isNull());
    EXPECT_TRUE(fak.at(0).toObject().value(QStringLiteral("P_17")).isNull());
    EXPECT_EQ(fak.at(1).toObject().value(QStringLiteral("P_15")).toDouble(), -0.004);
    EXPECT_EQ(fak.at(0).toObject().size(), 57);

    const QJsonArray poz = out.value(QStringLiteral("mt_POZ_")).toArray();
    ASSERT_EQ(poz.size(), 2);
    EXPECT_EQ(poz.at(0).toObject().value(QStringLiteral("P_7")).toString(), QStringLiteral("Śruby M8; ocynk"));
    // the OSS rate is a number; the text earlier versions wrote still reads
    EXPECT_EQ(poz.at(0).toObject().value(QStringLiteral("P_12_XII")).toDouble(), 13.5);
    EXPECT_EQ(poz.at(1).toObject().value(QStringLiteral("P_2B")).toString(), QStringLiteral("FV/2"));

    const QJsonArray zam = out.value(QStringLiteral("mt_ZAM_")).toArray();
    ASSERT_EQ(zam.size(), 2);
    EXPECT_EQ(zam.at(0).toObject().value(QStringLiteral("idx")).toInt(), 1);
    EXPECT_EQ(zam.at(1).toObject().value(QStringLiteral("idx")).toInt(), 2);
    const QJsonArray zpoz = out.value(QStringLiteral("mt_ZPOZ_")).toArray();
    ASSERT_EQ(zpoz.size(), 3);
    EXPECT_EQ(zpoz.at(0).toObject().value(QStringLiteral("idx_zal")).toInt(), 2);
    EXPECT_EQ(zpoz.at(1).toObject().value(QStringLiteral("idx_zal")).toInt(), 1);
    EXPECT_EQ(zpoz.at(2).toObject().value(QStringLiteral("idx_zal")).toInt(), 2);

    // exporting what was imported gives it back
    const CliRun again = run({QStringLiteral("--home"), home.path(), QStringLiteral("import-json"),
                              home.file(QStringLiteral("out.json")), QStringLiteral("export-json"),
                              home.file(QStringLiteral("out2.json"))});
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(home.read(QStringLiteral("out.json")), home.read(QStringLiteral("out2.json")));
}

TEST(Cli, TheGeneratorsExportImportsIntoTheRecordsItExpects)
{
    // the generator knows what it wrote: the import of its export, in both styles, gives exactly
    // those records, and they come back unchanged through export-json and import-json
    for (const char *style : {"pl", "iso"}) {
        TempHome home;
        QProcess gen;
        gen.start(QStringLiteral("python3"),
                  {generatorScript(), home.path(), QStringLiteral("--invoices"), QStringLiteral("60"),
                   QStringLiteral("--style"), QString::fromLatin1(style), QStringLiteral("--expect")});
        ASSERT_TRUE(gen.waitForFinished(60000) && gen.exitCode() == 0) << gen.readAllStandardError().toStdString();
        const CliRun r =
            run({QStringLiteral("--home"), home.path(), QStringLiteral("import"), home.file(QStringLiteral("dane.txt")),
                 QStringLiteral("export-json"), home.file(QStringLiteral("out.json"))});
        ASSERT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
        TempHome other; // import-json adds to what is there: the round trip starts empty
        const CliRun back = run({QStringLiteral("--home"), other.path(), QStringLiteral("import-json"),
                                 home.file(QStringLiteral("out.json")), QStringLiteral("export-json"),
                                 home.file(QStringLiteral("again.json"))});
        ASSERT_EQ(back.status, 0) << back.out.toStdString() << back.err.toStdString();
        const QJsonObject expected = QJsonDocument::fromJson(home.read(QStringLiteral("expected.json"))).object();
        const QJsonObject out = QJsonDocument::fromJson(home.read(QStringLiteral("out.json"))).object();
        for (const QString &table : {QStringLiteral("mt_FAK_"), QStringLiteral("mt_POZ_"), QStringLiteral("mt_ZAM_"),
                                     QStringLiteral("mt_ZPOZ_")}) {
            const QJsonArray want = expected.value(table).toArray();
            const QJsonArray got = out.value(table).toArray();
            ASSERT_EQ(want.size(), got.size()) << style << " " << table.toStdString();
            for (qsizetype i = 0; i < want.size(); ++i) {
                const QJsonObject w = want.at(i).toObject();
                const QJsonObject g = got.at(i).toObject();
                for (auto it = g.begin(); it != g.end(); ++it)
                    EXPECT_EQ(it.value(), w.value(it.key()).isUndefined() ? QJsonValue() : w.value(it.key()))
                        << style << " " << table.toStdString() << " " << i << " " << it.key().toStdString();
            }
        }
        const QJsonObject header = expected.value(QStringLiteral("header")).toObject();
        for (auto it = header.begin(); it != header.end(); ++it)
            EXPECT_EQ(out.value(QStringLiteral("header")).toObject().value(it.key()), it.value())
                << style << " " << it.key().toStdString();
        EXPECT_EQ(home.read(QStringLiteral("out.json")), home.read(QStringLiteral("again.json"))) << style;
    }
}

} // namespace

namespace {

TEST(Cli, GeneratedExportImportsIntoAValidFileInBothStylesAndEveryLocale)
{
    // the system locale must change nothing: a decimal comma in LC_NUMERIC once cut every amount
    const QRegularExpression stamp(QStringLiteral("<DataWytworzeniaJPK>[^<]*</DataWytworzeniaJPK>"));
    for (const char *style : {"pl", "iso"}) {
        TempHome home;
        QProcess gen;
        gen.start(QStringLiteral("python3"),
                  {generatorScript(), home.path(), QStringLiteral("--invoices"), QStringLiteral("150"),
                   QStringLiteral("--style"), QString::fromLatin1(style)});
        ASSERT_TRUE(gen.waitForFinished(60000) && gen.exitCode() == 0);
        // "DIR: 150 invoices, 450 invoice lines, 12 orders"
        const QString said = QString::fromUtf8(gen.readAllStandardOutput());
        const QRegularExpression counts(QStringLiteral("(\\d+) invoices, (\\d+) invoice lines, (\\d+) orders"));
        const QRegularExpressionMatch m = counts.match(said);
        ASSERT_TRUE(m.hasMatch()) << said.toStdString();
        QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/Schemat_JPK_FA(4)_v1-0.xsd"),
                    home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")));
        QFile::link(QStringLiteral(TAVRIX_SCHEMAS ""), home.file(QStringLiteral("schemas")));
        QString written[2];
        const QString locales[2] = {QStringLiteral("C"), QStringLiteral("pl_PL.UTF-8")};
        for (int i = 0; i < 2; ++i) {
            const QString name = QStringLiteral("JPK_FA4_%1.xml").arg(i);
            const QString out = home.file(name);
            const CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("import"),
                                  home.file(QStringLiteral("dane.txt")), QStringLiteral("generate"), out,
                                  QStringLiteral("validate"), out},
                                 locales[i]);
            ASSERT_EQ(r.status, 0) << style << r.out.toStdString() << r.err.toStdString();
            EXPECT_TRUE(r.out.contains(QStringLiteral("zgodna ze schemą XSD"))) << r.out.toStdString();
            const QByteArray xml = home.read(name);
            EXPECT_TRUE(
                xml.contains(QByteArray("<LiczbaFaktur>").append(m.captured(1).toLatin1()).append("</LiczbaFaktur>")))
                << style;
            EXPECT_TRUE(xml.contains(
                QByteArray("<LiczbaWierszyFaktur>").append(m.captured(2).toLatin1()).append("</LiczbaWierszyFaktur>")))
                << style;
            EXPECT_TRUE(xml.contains(
                QByteArray("<LiczbaZamowien>").append(m.captured(3).toLatin1()).append("</LiczbaZamowien>")))
                << style;
            written[i] = QString::fromUtf8(xml).replace(stamp, QString());
        }
        EXPECT_EQ(written[0], written[1]) << style << ": the Polish locale changed the file";
        // the amounts keep their fractions
        EXPECT_TRUE(QRegularExpression(QStringLiteral("<P_15>\\d+\\.\\d[1-9]</P_15>")).match(written[1]).hasMatch())
            << style;
    }
}

TEST(Cli, DemoWritesAValidFileHere)
{
    TempHome here;
    QProcess p;
    p.setWorkingDirectory(here.path());
    p.start(QStringLiteral(TAVRIX_CLI), {QStringLiteral("--demo")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString() << p.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("zgodna ze schemą XSD"))) << out.toStdString();
    const QByteArray xml = here.read(QStringLiteral("JPK_FA4_demo.xml"));
    EXPECT_EQ(xml.count("<Faktura>"), 5);
    EXPECT_TRUE(xml.contains("<RodzajFaktury>KOREKTA</RodzajFaktury>"));
    EXPECT_TRUE(xml.contains("<RodzajFaktury>ZAL</RodzajFaktury>"));
    EXPECT_EQ(xml.count("<ZamowienieWiersz>"), 2);
}

TEST(Cli, ImportCommandsFollowTheLayout)
{
    TempHome home;
    home.write(QStringLiteral("f.txt"), "FAK;FV/1\n");
    const CliRun r =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("import"), home.file(QStringLiteral("f.txt"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Importuj Dane"))) << r.err.toStdString();
}

} // namespace

namespace {

TEST(Cli, ImportThroughTheUsersApplication)
{
    TempHome home;
    // the application: writes its arguments and a common file to the exchange file
    home.write(QStringLiteral("app.sh"),
               "#!/bin/sh\n"
               "out=\"\"\n"
               "for a in \"$@\"; do case \"$a\" in -plik:*) out=\"${a#-plik:}\";; esac; done\n"
               "printf '%s\\n' \"$@\" > \"$out.args\"\n"
               "printf '[Naglowek_Start]\\n01-08-2023;31-08-2023;1471\\n[Faktury]\\nFAK;FV/1\\nPOZ;A\\n' > \"$out\"\n");
    QFile::setPermissions(home.file(QStringLiteral("app.sh")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString exchange = home.file(QStringLiteral("wymiana.txt"));
    const QString settings =
        QStringLiteral("[Form_ImportJPK]\r\nrb_WspolnyPlik_Checked=TRUE\r\nchb_Imp_Application_Checked=TRUE\r\n"
                       "cb_separator_ItemIndex=2\r\nfn_Imp_Aplikacja_FileName=%1\r\nfn_Imp_PlikWymiany_FileName=%2\r\n")
            .arg(home.file(QStringLiteral("app.sh")), exchange);
    home.write(QStringLiteral("JPK_FA3_Ustawienia.ini"), settings.toUtf8());
    const CliRun r =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("set"), QStringLiteral("ed_DataOd_Date=2023-08-01"),
             QStringLiteral("set"), QStringLiteral("ed_DataDo_Date=2023-08-31"), QStringLiteral("import-app"),
             QStringLiteral("export-json"), home.file(QStringLiteral("out.json"))});
    ASSERT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(home.read(QStringLiteral("wymiana.txt.args")),
              "-JPK_FK\n-od:01-08-2023\n-do:31-08-2023\n-plik:" + exchange.toUtf8() + "\n");
    const QJsonObject out = QJsonDocument::fromJson(home.read(QStringLiteral("out.json"))).object();
    EXPECT_EQ(out.value(QStringLiteral("header")).toObject().value(QStringLiteral("KodUrzedu")).toString(),
              QStringLiteral("1471"));
    EXPECT_EQ(out.value(QStringLiteral("mt_FAK_")).toArray().size(), 1);

    // the checks come first, with their messages
    const CliRun missing = run({QStringLiteral("--home"), home.path(), QStringLiteral("import-app")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.contains(QStringLiteral("Uzupełnij \"Datę od\""))) << missing.out.toStdString();
    // a placeholder that cannot be filled
    const CliRun bad =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("set"), QStringLiteral("ed_DataOd_Date=2023-08-01"),
             QStringLiteral("set"), QStringLiteral("ed_DataDo_Date=2023-08-31"), QStringLiteral("set"),
             QStringLiteral("e_Params_Text=%3:s"), QStringLiteral("import-app")});
    EXPECT_TRUE(bad.out.contains(QStringLiteral("Błąd wywołania polecenia ") + home.file(QStringLiteral("app.sh")) +
                                 QStringLiteral(",")))
        << bad.out.toStdString();
    EXPECT_EQ(bad.status, 1) << "a command that could not be called is a failed step";
}

TEST(Cli, SumOfAColumn)
{
    TempHome home;
    home.write(QStringLiteral("in.json"), R"({"mt_FAK_":[{"P_2A":"A","P_15":1.005},{"P_2A":"B","P_15":2}]})");
    const CliRun r =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("import-json"), home.file(QStringLiteral("in.json")),
             QStringLiteral("sum"), QStringLiteral("grid_FAK"), QStringLiteral("P_15")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Suma wg pola [KwotaOgółem] = "))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("NazwaXML: <P_15/>")));
    const CliRun hidden = run({QStringLiteral("--home"), home.path(), QStringLiteral("sum"), QStringLiteral("grid_FAK"),
                               QStringLiteral("P_14_5")});
    EXPECT_EQ(hidden.status, 1);
}

} // namespace

namespace {

TEST(Cli, AProgressLineOnATerminalOnly)
{
    // the example's settings and export in a program folder of their own
    TempHome home;
    QFile::copy(QStringLiteral(TAVRIX_TEST_DATA "/../../data/demo/JPK_FA3_Ustawienia.ini"),
                home.file(QStringLiteral("JPK_FA3_Ustawienia.ini")));
    QFile::setPermissions(home.file(QStringLiteral("JPK_FA3_Ustawienia.ini")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString data = QStringLiteral(TAVRIX_TEST_DATA "/../../data/demo/sprzedaz_2023_08.txt");
    // redirected: nothing but the messages
    const CliRun piped = run({QStringLiteral("--home"), home.path(), QStringLiteral("import"), data});
    ASSERT_EQ(piped.status, 0) << piped.out.toStdString() << piped.err.toStdString();
    EXPECT_TRUE(piped.err.isEmpty()) << piped.err.toStdString();

    // on a terminal (script gives the program one): the line, unless --quiet
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        GTEST_SKIP() << "script(1) is not available to provide a terminal";
    for (const bool quiet : {false, true}) {
        QProcess p;
        const QString command =
            QStringLiteral("'%1' --home '%2' %3 import '%4'")
                .arg(QStringLiteral(TAVRIX_CLI), home.path(), quiet ? QStringLiteral("--quiet") : QString(), data);
        p.start(QStringLiteral("script"), {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString screen = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_EQ(screen.contains(QStringLiteral(" wierszy · ")), !quiet) << screen.toStdString();
    }
}

TEST(ConsoleProgress, TheLineTellsDoneTotalRateAndTimeLeft)
{
    struct Case
    {
        qint64 done, total;
        double seconds;
        const char *unit;
        const char *line;
    };
    const Case cases[] = {
        {25000, 100000, 2.0, "wierszy", " 25% 25 000 / 100 000 wierszy · 12 500/s · pozostało 0:06"},
        {100000, 100000, 4.0, "rekordów", "100% 100 000 / 100 000 rekordów · 25 000/s"},
        {512 * 1024, 2048 * 1024, 10.0, "KiB", " 25% 512.0 / 2048.0 MB · 51.2 MB/s · pozostało 0:30"},
        {10, 7200 * 11, 1.0, "", "  0% 10 / 79 200 · 10/s · pozostało 2:11:59"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ConsolePort::progressLine(c.done, c.total, c.seconds, QString::fromUtf8(c.unit)),
                  QString::fromUtf8(c.line));
}

} // namespace

namespace {

TEST(Cli, CheckFailsOnAnErrorAndReportsEveryFinding)
{
    TempHome home;
    home.write(QStringLiteral("in.json"),
               "{\"header\":{\"NIP\":\"5261040829\"},\"mt_FAK_\":[{\"P_2A\":\"FV/1\",\"P_15\":10}]}");
    const QString messages = home.file(QStringLiteral("m.jsonl"));
    const CliRun r =
        run({QStringLiteral("--home"), home.path(), QStringLiteral("--keep-going"), QStringLiteral("--messages"),
             messages, QStringLiteral("import-json"), home.file(QStringLiteral("in.json")), QStringLiteral("check"),
             QStringLiteral("report"), home.file(QStringLiteral("r.json"))});
    EXPECT_EQ(r.status, 1) << "a błąd fails the step";
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("K01 błąd: Nagłówek, pole NIP: NIP podmiotu 5261040829 ma błędną sumę kontrolną")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("K05 błąd: Faktura FV/1, pole P_15")));
    int checks = 0;
    for (const QByteArray &line : home.read(QStringLiteral("m.jsonl")).split('\n'))
        if (QJsonDocument::fromJson(line).object().value(QStringLiteral("kind")).toString() == u"check")
            ++checks;
    const QJsonObject report = QJsonDocument::fromJson(home.read(QStringLiteral("r.json"))).object();
    EXPECT_EQ(checks, report.value(QStringLiteral("ustalenia")).toArray().size());
    EXPECT_GE(checks, 2);
    EXPECT_GE(report.value(QStringLiteral("bledy")).toInt(), 2);
}

TEST(Cli, AReportTellsOfTheDataAsTheyAreEvenAfterAFailedCheck)
{
    TempHome home;
    home.write(QStringLiteral("in.json"),
               "{\"header\":{\"NIP\":\"5261040829\"},\"mt_FAK_\":[{\"P_2A\":\"FV/1\",\"P_15\":10}]}");
    // a report with no check before it checks the data first; a "%1" in its name is a name
    const QString odd = home.file(QStringLiteral("raport %1 %2.html"));
    CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("import-json"),
                    home.file(QStringLiteral("in.json")), QStringLiteral("report"), odd});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray html = home.read(QStringLiteral("raport %1 %2.html"));
    EXPECT_TRUE(html.contains("K05")) << html.constData();
    EXPECT_TRUE(html.contains("Źródło: dane w tabelach<br>Błędy: ")) << html.constData();
    // a check that finds errors fails, and the report after it is still written
    r = run({QStringLiteral("--home"), home.path(), QStringLiteral("import-json"), home.file(QStringLiteral("in.json")),
             QStringLiteral("check"), QStringLiteral("report"), home.file(QStringLiteral("r.json")),
             QStringLiteral("generate"), home.file(QStringLiteral("JPK.xml"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_GE(
        QJsonDocument::fromJson(home.read(QStringLiteral("r.json"))).object().value(QStringLiteral("bledy")).toInt(),
        2);
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("JPK.xml")))) << "the run stops after the report";
    // check-file fails on a schema error as check and validate do
    QFile sample(QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/minimal_valid.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    home.write(QStringLiteral("zly.xml"),
               sample.readAll().replace("<KodWaluty>PLN</KodWaluty>", "<KodWaluty>ZZZ</KodWaluty>"));
    r = run(
        {QStringLiteral("--home"), home.path(), QStringLiteral("check-file"), home.file(QStringLiteral("zly.xml"))});
    EXPECT_EQ(r.status, 1) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("XSD błąd"))) << r.out.toStdString();
}

TEST(Cli, TheGeneratorsExportHasNoError)
{
    TempHome home;
    QProcess gen;
    gen.start(QStringLiteral("python3"),
              {generatorScript(), home.path(), QStringLiteral("--invoices"), QStringLiteral("300")});
    ASSERT_TRUE(gen.waitForFinished(60000) && gen.exitCode() == 0);
    const CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("import"),
                          home.file(QStringLiteral("dane.txt")), QStringLiteral("check")});
    EXPECT_EQ(r.status, 0) << r.out.right(2000).toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Błędy: 0,"))) << r.out.right(2000).toStdString();
}

} // namespace

namespace {

// Ctrl+C while a long step runs: the step stops as "Przerwij" stops it in the window, the
// old file stays, no temporary file is left, and the run ends with 130.
TEST(Cli, CtrlCStopsTheRunningStepAndKeepsTheOldFile)
{
    TempHome home;
    QJsonArray invoices, lines;
    for (int i = 1; i <= 60000; ++i) {
        const QString number = QStringLiteral("FV/%1").arg(i);
        invoices.append(QJsonObject{{QStringLiteral("P_2A"), number}, {QStringLiteral("P_15"), 123.0}});
        lines.append(QJsonObject{{QStringLiteral("P_2B"), number}, {QStringLiteral("P_11"), 100.0}});
    }
    home.write(QStringLiteral("dane.json"),
               QJsonDocument(QJsonObject{{QStringLiteral("mt_FAK_"), invoices}, {QStringLiteral("mt_POZ_"), lines}})
                   .toJson(QJsonDocument::Compact));
    home.write(QStringLiteral("JPK_FA4.xml"), "stary plik");
    QProcess p;
    // the steps take seconds in any build: the signal comes while one of them runs
    QStringList args{QStringLiteral("--home"), home.path(), QStringLiteral("--yes"), QStringLiteral("import-json"),
                     home.file(QStringLiteral("dane.json"))};
    for (int i = 0; i < 40; ++i)
        args << QStringLiteral("generate") << home.file(QStringLiteral("JPK_FA4.xml"));
    p.start(QStringLiteral(TAVRIX_CLI), args);
    ASSERT_TRUE(p.waitForStarted());
    QThread::msleep(700);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130) << p.readAllStandardOutput().toStdString();
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral(": interrupted"))) << err.toStdString();
    // the old file stays unless a generate ended before the signal; never a torn one
    const QByteArray now = home.read(QStringLiteral("JPK_FA4.xml"));
    EXPECT_TRUE(now == "stary plik" || now.trimmed().endsWith("</JPK>")) << now.right(200).toStdString();
    QStringList left = QDir(home.path()).entryList(QDir::Files);
    left.removeAll(QStringLiteral("JPK_FA4.xml"));
    left.removeAll(QStringLiteral("dane.json"));
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
}

} // namespace

namespace {

// Whatever the program folder, the schemas shipped with the program are found: a file
// validates with the network switched off, and so does an e-invoice.
TEST(Cli, OfflineWhateverTheProgramFolder)
{
    TempHome home; // a folder with no schema in it
    const CliRun r = run({QStringLiteral("--home"), home.path(), QStringLiteral("validate"),
                          QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/minimal_valid.xml")});
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("zgodna ze schemą XSD"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("resolve"))) << r.out.toStdString();
    const CliRun d = run({QStringLiteral("--home"), home.path(), QStringLiteral("load-xsd")});
    EXPECT_EQ(d.status, 0) << d.out.toStdString() << d.err.toStdString();
    EXPECT_TRUE(d.out.contains(QStringLiteral("<xsd:schema")) || d.out.contains(QStringLiteral("<xs:schema")))
        << d.out.left(400).toStdString();
}

} // namespace
