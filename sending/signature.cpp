#include "sending/signature.h"

#include "composer/composer_window.h"
#include "settings/live_settings.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"
#include "toolkit/message_box.h"

namespace signature {

void insertSignature(TForm1& form, const LiveSettings& settings) {
    // With the automatic signature on, a hand-inserted one would go out twice.
    if (settings.automaticSignature()) {
        toolkit::errorBox(
            &form, QStringLiteral("署名設定の\r\n「署名を自動的にメールに添付して送信する。」"
                                  "\r\nにチェックが入っています。"));
        return;
    }
    const QByteArray text = settings.signature();
    if (text.isEmpty()) {
        toolkit::errorBox(&form, QStringLiteral("\r\n署名が設定されていません。"));
        return;
    }
    // Set as a whole, so the body limit does not cut it.
    form.Memo1->setText(appendTo(form.Memo1->text(), cp932::decode(text)));
}

}  // namespace signature
