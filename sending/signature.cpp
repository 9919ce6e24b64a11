#include "sending/signature.h"

#include "toolkit/cp932.h"

namespace signature {

ByHand insertByHand(const QString& body, bool automaticSignature, const QByteArray& signature) {
    // With the automatic signature on, a hand-inserted one would go out twice.
    if (automaticSignature) {
        return {QStringLiteral("署名設定の\r\n「署名を自動的にメールに添付して送信する。」"
                               "\r\nにチェックが入っています。"),
                {}};
    }
    if (signature.isEmpty())
        return {QStringLiteral("\r\n署名が設定されていません。"), {}};
    return {{}, appendTo(body, cp932::decode(signature))};
}

}  // namespace signature
