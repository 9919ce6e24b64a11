#include "addressbook/reading_collator.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <QString>

#include "toolkit/cp932.h"

ReadingCollator::ReadingCollator() {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(uloc_getDefault(), &status);
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
    const QString text = cp932::decode(reading);
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
