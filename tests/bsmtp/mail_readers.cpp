#include "mail_readers.h"

#include "bsmtp/address_list.h"
#include "bsmtp/handset.h"
#include "codepage/cp932_codec.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>

namespace bsmtp_test {

namespace {

const QString kReaders = QStringLiteral(BSMTP_TEST_DIR "/readers");

QString readerKind(bsmtp::Reader reader) {
    switch (reader) {
        case bsmtp::Reader::IMode:
            return QStringLiteral("i-mode");
        case bsmtp::Reader::Au:
            return QStringLiteral("au");
        case bsmtp::Reader::SoftBank:
            return QStringLiteral("SoftBank");
        case bsmtp::Reader::Other:
            break;
    }
    return QStringLiteral("PC/other");
}

// What the recipients' devices show for `cp932`.
QString shownAs(const QByteArray& cp932, bsmtp::Reader reader) {
    if (reader == bsmtp::Reader::Other) {
        return bsmtp::forUnicodeReaders(cp932);
    }
    return cp932_codec::decodeLenient(bsmtp::forHandset(cp932, reader));
}

// Line breaks as LF (the library sends a lone CR or LF as CR LF), without the one a 7bit
// body gains at its end; where JIS X 0208 and
// code page 932 name the same character differently (an ISO-2022-JP reader shows U+301C
// for the wave dash the user typed as U+FF5E), the code page's name.
QString comparable(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(u'\r'), QChar(u'\n'));
    if (text.endsWith('\n')) {
        text.chop(1);
    }
    static const std::pair<char16_t, char16_t> kSame[] = {
        {u'\u301C', u'\uFF5E'}, {u'\u2016', u'\u2225'}, {u'\u2212', u'\uFF0D'},
        {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'},
        {u'\u2014', u'\u2015'}};
    for (const auto& [jis, cp932] : kSame) {
        text.replace(QChar(jis), QChar(cp932));
    }
    return text;
}

QString escaped(const QString& text) {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        out += c >= 0x20 && c < 0x7F ? QString(QChar(c)) : QString::asprintf("\\u%04X", c);
    }
    return out;
}

void record(const QString& caseName, const QString& kind, const QString& reader, bool exact,
            const QString& detail) {
    const QString dir = QDir::currentPath() + "/decoder_results";
    QDir().mkpath(dir);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QFile f(dir + "/" + QString::fromUtf8(test->test_suite_name()) + "." +
            QString::fromUtf8(test->name()) + ".tsv");
    // A test's rows of an earlier run are replaced, those of this run kept.
    static QSet<QString> written;
    const bool first = !written.contains(f.fileName());
    written.insert(f.fileName());
    f.open(first ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::Append);
    f.write((QStringList{caseName, kind, reader, exact ? "exact" : "NOT exact", detail}.join('\t') +
             "\n")
                .toUtf8());
}

}  // namespace

const QList<MailReader>& mailReaders() {
    static const QList<MailReader> readers = {
        {"Python email policy.default",
         "/usr/bin/python3",
         {kReaders + "/read_python.py", "default"}},
        {"Python email compat32", "/usr/bin/python3", {kReaders + "/read_python.py", "compat32"}},
        {"Perl MIME-tools", "/usr/bin/perl", {kReaders + "/read_perl.pl"}},
        {"Ruby mail", "/usr/bin/ruby", {kReaders + "/read_ruby.rb"}},
        {"Node mailparser", "node", {kReaders + "/read_node.js"}},
    };
    return readers;
}

QList<QList<Reading>> readWithEveryReader(const QStringList& files) {
    QList<QList<Reading>> out;
    for (const MailReader& reader : mailReaders()) {
        QList<Reading> readings(files.size());
        QProcess p;
        p.start(reader.program, reader.args + files);
        const bool ran = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
                         p.exitCode() == 0;
        const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
        if (!ran || lines.size() < files.size()) {
            ADD_FAILURE() << reader.name.toStdString()
                          << " did not run: " << p.readAllStandardError().toStdString()
                          << (reader.program == "node"
                                  ? " (Node's modules: npm ci in tests/bsmtp/readers)"
                                  : "");
        }
        for (qsizetype i = 0; i < files.size() && i < lines.size(); ++i) {
            const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
            Reading& r = readings[i];
            r.subject = o["subject"].toString();
            r.body = o["body"].toString();
            r.fileName = o["filename"].toString();
            for (const QJsonValue& d : o["defects"].toArray()) {
                r.defects << d.toString();
            }
            r.error = o["error"].toString();
        }
        out.append(readings);
    }
    return out;
}

void expectReadAsSent(const QStringList& files, const QList<SentMail>& sent,
                      const QStringList& caseNames) {
    const QList<QList<Reading>> readings = readWithEveryReader(files);
    for (qsizetype f = 0; f < files.size(); ++f) {
        const SentMail& mail = sent[f];
        const bsmtp::Reader kind = bsmtp::readerOfMail(bsmtp::parseAddressList(mail.to).mailboxes);
        const QString subject = shownAs(mail.subject, kind);
        const QString body = comparable(shownAs(mail.body, kind));
        const QByteArray name = mail.attachment.mid(mail.attachment.lastIndexOf('/') + 1);
        const QString fileName = shownAs(name, kind);
        for (qsizetype r = 0; r < readings.size() && r < mailReaders().size(); ++r) {
            const Reading& got = readings[r][f];
            const QString& reader = mailReaders()[r].name;
            // Handsets read the file name as encoded words in quotes, which the current
            // Python parser notes as a defect of Content-Type; nothing else may be noted.
            QStringList defects = got.defects;
            if (kind != bsmtp::Reader::Other) {
                defects.removeAll(QStringLiteral("Content-Type: InvalidHeaderDefect"));
            }
            QStringList wrong;
            if (!got.error.isEmpty()) {
                wrong << "error " + got.error;
            }
            if (comparable(got.subject) != comparable(subject)) {
                wrong << "subject " + escaped(got.subject) + " for " + escaped(subject);
            }
            if (comparable(got.body) != body) {
                wrong << "body " + escaped(got.body) + " for " + escaped(body);
            }
            if (got.fileName != fileName) {
                wrong << "file name " + escaped(got.fileName) + " for " + escaped(fileName);
            }
            if (!defects.isEmpty()) {
                wrong << "defects " + defects.join(',');
            }
            EXPECT_TRUE(wrong.isEmpty())
                << reader.toStdString() << " reading " << caseNames[f].toStdString() << " ("
                << readerKind(kind).toStdString() << "): " << wrong.join("; ").toStdString();
            record(caseNames[f], readerKind(kind), reader, wrong.isEmpty(), wrong.join("; "));
        }
    }
}

}  // namespace bsmtp_test
