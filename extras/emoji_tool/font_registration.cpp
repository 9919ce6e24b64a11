#include "font_registration.h"

#include <fontconfig/fontconfig.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include "codepage/pictograph_table.h"

namespace font_registration {
namespace {

constexpr int kFcCacheTimeoutMs = 120000;

int countPictographs(const FcCharSet* charset) {
    int count = 0;
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        for (char32_t cp : pictographs::tabCodes(tab)) {
            if (FcCharSetHasChar(charset, FcChar32(cp)))
                ++count;
        }
    }
    return count;
}

QByteArray readAll(const QString& path, bool* ok) {
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

// Writes `bytes` as `path` in one step: a reader sees the old file or the new one.
QString writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

// Runs fc-cache on `dir`; empty on success, otherwise what went wrong.
QString runFcCache(const QString& fcCache, const QString& dir) {
    QProcess process;
    process.setProgram(fcCache);
    process.setArguments({dir});
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted())
        return QStringLiteral("fc-cache を起動できません（%1）。").arg(process.errorString());
    if (!process.waitForFinished(kFcCacheTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("fc-cache が終わりません。");
    }
    const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QString text =
            QStringLiteral("fc-cache が失敗しました（終了コード %1）。").arg(process.exitCode());
        if (!output.isEmpty())
            text += QLatin1Char('\n') + output;
        return text;
    }
    return {};
}

bool listsFile(const QString& file) {
    const QString wanted = QFileInfo(file).canonicalFilePath();
    for (const Listed& listed : listFamily()) {
        if (QFileInfo(listed.file).canonicalFilePath() == wanted &&
            listed.pictographs == pictographs::kCount)
            return true;
    }
    return false;
}

Outcome failure(const QString& message) {
    return Outcome{Outcome::Kind::Failed, {}, message};
}

}  // namespace

QString fontsDirectory(const QProcessEnvironment& env) {
    const QString data = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (!data.isEmpty() && QDir::isAbsolutePath(data))
        return QDir(data).filePath(QStringLiteral("fonts"));
    const QString home = env.value(QStringLiteral("HOME"));
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        return {};
    return QDir(home).filePath(QStringLiteral(".local/share/fonts"));
}

QList<Listed> listFamily(const QString& family) {
    QList<Listed> result;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config)
        return result;
    FcPattern* pattern = FcPatternCreate();
    const QByteArray name = family.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.constData()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_CHARSET, nullptr);
    if (FcFontSet* fonts = FcFontList(config, pattern, objects)) {
        for (int i = 0; i < fonts->nfont; ++i) {
            Listed listed;
            FcChar8* file = nullptr;
            if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
                listed.file = QString::fromUtf8(reinterpret_cast<const char*>(file));
            FcCharSet* charset = nullptr;
            if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &charset) == FcResultMatch)
                listed.pictographs = countPictographs(charset);
            result.append(listed);
        }
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return result;
}

Outcome registerFont(const QByteArray& font, const QString& fontsDir, QString fcCache) {
    if (font.isEmpty())
        return failure(QStringLiteral("登録する絵文字フォントがこのプログラムに入っていません。"));
    if (fontsDir.isEmpty())
        return failure(
            QStringLiteral("フォントを入れるフォルダーが決まりません"
                           "（HOME も XDG_DATA_HOME も設定されていません）。"));
    if (fcCache.isEmpty())
        fcCache = QStandardPaths::findExecutable(QStringLiteral("fc-cache"));
    if (fcCache.isEmpty())
        return failure(
            QStringLiteral("fc-cache が見つかりません。fontconfig を入れてから、"
                           "もう一度実行してください。\n何も変更していません。"));

    const QString target = QDir(fontsDir).filePath(QString::fromLatin1(kFileName));
    bool hadFile = false;
    const QByteArray previous = readAll(target, &hadFile);
    if (hadFile && previous == font && listsFile(target))
        return Outcome{Outcome::Kind::AlreadyRegistered, target,
                       QStringLiteral("絵文字フォント「%1」はすでに登録されています。\n%2\n"
                                      "何も変更していません。")
                           .arg(QString::fromLatin1(kFamily), QDir::toNativeSeparators(target))};

    // Undoes everything this run did to the folder.
    QStringList missingDirs;  // deepest first
    for (QString dir = QDir::cleanPath(fontsDir); !QFileInfo::exists(dir);
         dir = QFileInfo(dir).path())
        missingDirs.append(dir);
    auto rollBack = [&] {
        if (hadFile) {
            writeWhole(target, previous);
            return;
        }
        QFile::remove(target);
        for (const QString& dir : missingDirs)
            QDir().rmdir(dir);
    };

    if (!QDir().mkpath(fontsDir))
        return failure(
            QStringLiteral("フォントのフォルダー %1 を作れません。\n何も変更していません。")
                .arg(QDir::toNativeSeparators(fontsDir)));
    if (previous != font || !hadFile) {
        const QString error = writeWhole(target, font);
        if (!error.isEmpty()) {
            rollBack();
            return failure(QStringLiteral("フォントのフォルダー %1 に書き込めません（%2）。\n"
                                          "何も変更していません。")
                               .arg(QDir::toNativeSeparators(fontsDir), error));
        }
    }
    const QString cacheError = runFcCache(fcCache, fontsDir);
    if (!cacheError.isEmpty()) {
        rollBack();
        return failure(cacheError + QStringLiteral("\nフォントは元に戻しました。"));
    }
    if (!listsFile(target)) {
        rollBack();
        runFcCache(fcCache, fontsDir);
        return failure(QStringLiteral("fontconfig がフォント「%1」を見つけられませんでした。\n"
                                      "フォントは元に戻しました。")
                           .arg(QString::fromLatin1(kFamily)));
    }
    const bool updated = hadFile && previous != font;
    return Outcome{updated ? Outcome::Kind::Updated : Outcome::Kind::Installed, target,
                   QStringLiteral("絵文字フォント「%1」を%2しました。\n%3\n"
                                  "ほかのプログラム（メールソフトやエディター）も、"
                                  "携帯電話から届いたメールの絵文字を表示できます。")
                       .arg(QString::fromLatin1(kFamily),
                            updated ? QStringLiteral("新しいものに更新") : QStringLiteral("登録"),
                            QDir::toNativeSeparators(target))};
}

}  // namespace font_registration
