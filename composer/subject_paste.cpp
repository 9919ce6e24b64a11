#include "composer/subject_paste.h"

#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"

namespace subject_paste {

void paste(toolkit::ByteLimitedLineEdit* subject) {
    const QString text = toolkit::clipboard::text();
    const qsizetype sum = cp932::byteLength(subject->insertable(text)) + subject->byteLength();
    if (sum >= 1 && sum <= kSubjectLimit) {
        subject->replaceSelection(text);
    } else {
        toolkit::systemBeep();
    }
}

}  // namespace subject_paste
