#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <set>

#include "codepage/pictograph_table.h"
#include "font_registration.h"

#ifndef EMOJI_TOOL
#error "EMOJI_TOOL must name the built emoji.exe"
#endif

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// A user with an empty home directory of their own; nothing touches the real one.
class EmojiTool : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME",
                                 "FONTCONFIG_FILE", "FONTCONFIG_PATH"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    Outcome run(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        Outcome r;
        if (!p.waitForStarted() || !p.waitForFinished(180000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    Outcome tool(const QStringList& args = {QStringLiteral("--print")}) const {
        return run(QStringLiteral(EMOJI_TOOL), args);
    }
    QString fontsDir() const {
        return QDir(home.path()).filePath(QStringLiteral(".local/share/fonts"));
    }
    QString installed() const {
        return QDir(fontsDir()).filePath(QStringLiteral("MirvanePictographs.ttf"));
    }
    static QByteArray builtFont() {
        QFile f(QStringLiteral(MIRVANE_PICTOGRAPH_FONT));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    // A PATH holding only a fake fc-cache with the given script body, or nothing.
    void fakePath(const QByteArray& fcCacheScript) {
        const QString bin = QDir(tools.path()).filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        if (!fcCacheScript.isEmpty()) {
            QFile f(QDir(bin).filePath(QStringLiteral("fc-cache")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n" + fcCacheScript);
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        env.insert(QStringLiteral("PATH"), bin);
    }

    QTemporaryDir home;
    QTemporaryDir tools;
    QProcessEnvironment env;
};

// The code points of a fontconfig charset text ("e63e-e6a5 e6ac ...").
std::set<char32_t> codePoints(const QString& charset) {
    std::set<char32_t> result;
    for (const QString& token : charset.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList ends = token.split(QLatin1Char('-'));
        const uint first = ends.front().toUInt(nullptr, 16);
        const uint last = ends.back().toUInt(nullptr, 16);
        for (uint cp = first; cp <= last; ++cp)
            result.insert(char32_t(cp));
    }
    return result;
}

std::set<char32_t> paletteCodes() {
    std::set<char32_t> codes;
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        for (char32_t cp : pictographs::tabCodes(tab))
            codes.insert(cp);
    }
    return codes;
}

}  // namespace

TEST_F(EmojiTool, RegistersTheFontOnceForTheWholeDesktop) {
    const Outcome first = tool();
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("を登録しました"))) << first.out.toStdString();
    EXPECT_EQ(QFile(installed()).size(), builtFont().size());

    // Another program asking fontconfig by family name finds our file with every
    // pictograph of the palette.
    const Outcome listed =
        run(QStringLiteral("fc-list"), {QStringLiteral(":family=Mirvane Pictographs"),
                                        QStringLiteral("--format=%{file}|%{charset}\\n")});
    ASSERT_EQ(listed.status, 0);
    const QStringList lines = listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << listed.out.toStdString();
    const QStringList fields = lines.front().split(QLatin1Char('|'));
    EXPECT_EQ(QFileInfo(fields[0]).canonicalFilePath(), QFileInfo(installed()).canonicalFilePath());
    const std::set<char32_t> covered = codePoints(fields.value(1));
    const std::set<char32_t> palette = paletteCodes();
    ASSERT_EQ(palette.size(), 252u);
    EXPECT_TRUE(std::includes(covered.begin(), covered.end(), palette.begin(), palette.end()));

    // The font's own table, read with fontTools, agrees.
    const Outcome cmap = run(QStringLiteral("/usr/bin/python3"),
                             {QStringLiteral("-c"),
                              QStringLiteral("import sys; from fontTools.ttLib import TTFont; "
                                             "c = TTFont(sys.argv[1]).getBestCmap(); "
                                             "print(sum(1 for cp in c if 0xE63E <= cp <= 0xE757))"),
                              installed()});
    EXPECT_EQ(cmap.out.trimmed(), QStringLiteral("252")) << cmap.err.toStdString();

    // A second run changes nothing and says so.
    const QDateTime written = QFileInfo(installed()).lastModified();
    const Outcome second = tool();
    ASSERT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("すでに登録されています")))
        << second.out.toStdString();
    EXPECT_EQ(QFileInfo(installed()).lastModified(), written);
}

TEST_F(EmojiTool, HonoursXdgDataHomeAndReplacesAnOlderCopy) {
    const QString data = QDir(home.path()).filePath(QStringLiteral("data"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    const QString target = QDir(data).filePath(QStringLiteral("fonts/MirvanePictographs.ttf"));
    QDir().mkpath(QFileInfo(target).path());
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older, broken copy");
    }
    const Outcome r = tool();
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("更新"))) << r.out.toStdString();
    QFile now(target);
    ASSERT_TRUE(now.open(QIODevice::ReadOnly));
    EXPECT_EQ(now.readAll(), builtFont());
    EXPECT_FALSE(QFileInfo::exists(installed()));
}

TEST_F(EmojiTool, FailuresAreClearAndLeaveNothingHalfInstalled) {
    // No fc-cache at all: refused before anything is written.
    fakePath({});
    Outcome r = tool();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("fc-cache が見つかりません"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(home.path()).filePath(QStringLiteral(".local"))));

    // fc-cache fails: the font and the folders made for it are taken away again.
    fakePath("echo 'cache broken' >&2\nexit 3\n");
    r = tool();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("fc-cache が失敗しました"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("cache broken")));
    EXPECT_FALSE(QFileInfo::exists(QDir(home.path()).filePath(QStringLiteral(".local"))));

    // ... and an earlier copy is put back as it was.
    QDir().mkpath(fontsDir());
    {
        QFile old(installed());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier copy");
    }
    r = tool();
    EXPECT_EQ(r.status, 1);
    QFile kept(installed());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("earlier copy"));
    EXPECT_EQ(QDir(fontsDir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"MirvanePictographs.ttf"});
}

TEST_F(EmojiTool, AFontFolderTheUserCannotWriteIsReported) {
    // Outcome as an unprivileged user (CI runs as root, who may write anywhere) whose font
    // folder belongs to someone else.
    QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                           QFile::ExeGroup);
    ASSERT_TRUE(QDir().mkpath(fontsDir()));
    for (QString dir = fontsDir(); dir != home.path(); dir = QFileInfo(dir).path())
        QFile::setPermissions(dir, QFile::permissions(home.path()));
    const Outcome r = run(
        QStringLiteral("/usr/bin/setpriv"),
        {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
         QStringLiteral("--clear-groups"), QStringLiteral(EMOJI_TOOL), QStringLiteral("--print")});
    EXPECT_EQ(r.status, 1) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("書き込めません"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("何も変更していません")));
    EXPECT_TRUE(QDir(fontsDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(EmojiTool, ItsWindowShowsThePictographsDrawnByTheRegisteredFamily) {
    const QString screenshots =
        qEnvironmentVariable("MIRVANE_SCREENSHOTS", QStringLiteral("screenshots"));
    QDir().mkpath(screenshots);
    const QString png = QDir(screenshots).absoluteFilePath(QStringLiteral("registration_tool.png"));
    QFile::remove(png);
    const Outcome r = tool({QStringLiteral("--screenshot"), png});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("を登録しました")));
    // The window's toolkit found the family through fontconfig, by name alone.
    EXPECT_TRUE(r.out.contains(QStringLiteral("drawn with Mirvane Pictographs")))
        << r.out.toStdString();
    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 400);
    EXPECT_GT(picture.height(), 250);
}

TEST(FontsDirectory, FollowsTheXdgRules) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), QStringLiteral("/home/u"));
    EXPECT_EQ(font_registration::fontsDirectory(env), QStringLiteral("/home/u/.local/share/fonts"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString());
    EXPECT_EQ(font_registration::fontsDirectory(env), QStringLiteral("/home/u/.local/share/fonts"));
    // A relative value is invalid and ignored.
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("data"));
    EXPECT_EQ(font_registration::fontsDirectory(env), QStringLiteral("/home/u/.local/share/fonts"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/srv/data"));
    EXPECT_EQ(font_registration::fontsDirectory(env), QStringLiteral("/srv/data/fonts"));
    QProcessEnvironment none;
    EXPECT_TRUE(font_registration::fontsDirectory(none).isEmpty());
}
