// Sorts random HTTP statuses and bodies into upload results, and checks the rules hold: success only
// on 200 with "ok", a message either the server's own "error" text or "Server error <status>".

#include "Uploader.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int status = 100 + (data[0] << 8 | data[1]) % 500;
    const QByteArray body(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const Uploader::Result result = Uploader::classify(status, body);
    const QJsonDocument answer = QJsonDocument::fromJson(body);
    using Kind = Uploader::Result::Kind;
    switch (result.kind) {
    case Kind::ok:
        if (status != 200 || !answer.isObject())
            std::abort();
        break;
    case Kind::rejected:
        if (result.message != QStringLiteral("Server error %1").arg(status) &&
            result.message != answer.object().value(QStringLiteral("error")).toString())
            std::abort();
        break;
    case Kind::unreachable: // only the transport says that, never an answer
        std::abort();
    }
    return 0;
}
