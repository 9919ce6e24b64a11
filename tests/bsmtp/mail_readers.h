#pragma once

#include "smtp_fixture.h"

#include <QList>
#include <QString>
#include <QStringList>

// Received mails read back by four families of mail parsers, each through a small script in
// readers/: Python's email (policy.default and compat32), Perl's MIME-tools with Encode,
// Ruby's mail gem and Node's mailparser. Each must give back the subject, the body and the
// attachment's file name as typed, in the form the recipients' devices show (handset.h):
// Shift_JIS is read as handsets read it, with the carriers' pictographs.
namespace bsmtp_test {

struct Reading {
    QString subject;
    QString body;
    QString fileName;  // empty when the parser found no attachment
    QStringList defects;
    QString error;  // the parser failed on the file
};

struct MailReader {
    QString name;
    QString program;
    QStringList args;  // the file paths follow
};

const QList<MailReader>& mailReaders();

// Every reader's view of every file: result[reader][file].
QList<QList<Reading>> readWithEveryReader(const QStringList& files);

// Checks that every reader gives back what was sent, and records each file's result per
// reader under `caseNames` (one per file) in decoder_results/, for the table in the report.
void expectReadAsSent(const QStringList& files, const QList<SentMail>& sent,
                      const QStringList& caseNames);

}  // namespace bsmtp_test
