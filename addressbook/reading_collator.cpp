#include "addressbook/reading_collator.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <QString>
#include <clocale>

namespace {

// The ICU locale of the user's collation setting (LC_COLLATE, from LC_ALL or LANG).
// With none set, "C" or "POSIX", ICU would take "en_US_POSIX", whose rules order by
// code point ("B" before "a"); a person's list wants the root order instead.
QByteArray collationLocale() {
    const char* posix = std::setlocale(LC_COLLATE, nullptr);
    const QByteArray name = posix ? QByteArray(posix) : QByteArray();
    if (name.isEmpty() || name == "C" || name == "POSIX" || name.startsWith("C.") ||
        name.startsWith("POSIX.")) {
        return "";
    }
    char id[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    // "ja_JP.UTF-8" becomes "ja_JP".
    uloc_canonicalize(name.constData(), id, sizeof id, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING) {
        return "";
    }
    return id;
}

}  // namespace

ReadingCollator::ReadingCollator() : decoder_("Shift_JIS", QStringConverter::Flag::Stateless) {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(collationLocale().constData(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        collator_ = ucol_open("", &status);
    }
    if (collator_) {
        // Identical strength: every level counts, kana type (quaternary in the Japanese
        // rules) and width included; only canonically equivalent texts are equal.
        ucol_setStrength(collator_, UCOL_IDENTICAL);
    }
}

ReadingCollator::~ReadingCollator() {
    if (collator_) {
        ucol_close(collator_);
    }
}

QByteArray ReadingCollator::sortKey(QByteArrayView reading) const {
    // The same conversion as cp932::decode.
    const QString text = decoder_.decode(reading);
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    QByteArray key(qMax<qsizetype>(32, text.size() * 8), Qt::Uninitialized);
    if (!collator_) {
        return reading.toByteArray();
    }
    int32_t needed = ucol_getSortKey(collator_, chars, int32_t(text.size()),
                                     reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
    if (needed > key.size()) {
        key.resize(needed);
        needed = ucol_getSortKey(collator_, chars, int32_t(text.size()),
                                 reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
    }
    // The key ends in a 0 byte that adds nothing to the order.
    key.truncate(qMax(0, needed - 1));
    return key;
}

int ReadingCollator::compare(QByteArrayView a, QByteArrayView b) const {
    const QByteArray ka = sortKey(a);
    const QByteArray kb = sortKey(b);
    return ka < kb ? -1 : kb < ka ? 1 : 0;
}
