#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>

struct UCollator;

// The order of readings: the user's collation locale (ICU's root order when none is
// set), sensitive to case, kana type and width, so that "あ" and "ア" or "Ａ" and "A"
// never compare equal. Readings are bytes of code page 932.
class ReadingCollator {
  public:
    ReadingCollator();
    ~ReadingCollator();
    ReadingCollator(const ReadingCollator&) = delete;
    ReadingCollator& operator=(const ReadingCollator&) = delete;

    // A key whose byte order is the order of the readings; sorting compares keys
    // computed once per entry instead of collating every pair.
    QByteArray sortKey(QByteArrayView reading) const;
    // <0, 0 or >0 as `a` sorts before, with or after `b`.
    int compare(QByteArrayView a, QByteArrayView b) const;

  private:
    UCollator* collator_ = nullptr;
    // One decoder for every key: opening one per reading would cost more than the key.
    mutable QStringDecoder decoder_;
};
