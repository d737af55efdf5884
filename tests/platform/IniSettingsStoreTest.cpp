#include "IniSettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString WriteIni(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("Ravolt.conf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

} // namespace

TEST(IniSettingsStore, IntegersAreTheTextsThatParseAsDecimalNumbers)
{
    QTemporaryDir dir;
    const IniSettingsStore store(WriteIni(dir, "[General]\nPort=260\nLeft=-12\nWidth=80x\nHeight=\n"
                                               "Alg=0x10\nLength=1.5\nTitle=Bergrennen\n"));
    const struct
    {
        const char* key;
        std::optional<int> expected;
    } cases[] = {
        {"Port", 260}, {"Left", -12}, {"Width", std::nullopt}, {"Height", std::nullopt},
        {"Alg", std::nullopt}, {"Length", std::nullopt}, {"Title", std::nullopt}, {"Sound", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.ReadInt(QString(), QLatin1String(c.key)), c.expected) << c.key;
}

TEST(IniSettingsStore, StringsKeepTheirTextAlsoWithCommas)
{
    QTemporaryDir dir;
    const IniSettingsStore store(WriteIni(dir, "[General]\nTitle=Rennen, Lauf 2\nPort=3\n"));
    EXPECT_EQ(store.ReadString(QString(), QStringLiteral("Title")), QStringLiteral("Rennen, Lauf 2"));
    EXPECT_EQ(store.ReadString(QString(), QStringLiteral("Port")), QStringLiteral("3"));
    EXPECT_EQ(store.ReadString(QString(), QStringLiteral("Monitor")), std::nullopt);
}

TEST(IniSettingsStore, WrittenValuesReadBackInThisProcessAndFromTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/Ravolt.conf"));
    {
        IniSettingsStore store(path);
        store.WriteInt(QString(), QStringLiteral("Port"), 4);
        store.WriteString(QString(), QStringLiteral("Title"), QStringLiteral("Größter Preis"));
        ASSERT_TRUE(store.Flush());
        EXPECT_EQ(store.ReadInt(QString(), QStringLiteral("Port")), 4) << "a cached number counts as one";
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("Port=4\n")) << text.constData();
    file.close();
    const IniSettingsStore again(path);
    EXPECT_EQ(again.ReadInt(QString(), QStringLiteral("Port")), 4);
    EXPECT_EQ(again.ReadString(QString(), QStringLiteral("Title")), QStringLiteral("Größter Preis"));
}

TEST(IniSettingsStore, AnUnwritableFolderIsReportedByFlush)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("Quintaro")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the folder should be";
    blocker.close();
    IniSettingsStore store(dir.filePath(QStringLiteral("Quintaro/Ravolt.conf")));
    store.WriteInt(QString(), QStringLiteral("Port"), 1);
    EXPECT_FALSE(store.Flush());
}
