// Parses random payloads into figures: never a crash or undefined behaviour, and a record only from
// a JSON object that carries a balance, lines or a date.

#include "Metrics.h"

#include <QJsonDocument>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString payload = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<Metrics> metrics = Metrics::fromPayload(payload);
    if (metrics && ((!metrics->balance && !metrics->lines && !metrics->date) ||
                    !QJsonDocument::fromJson(payload.toUtf8()).isObject()))
        std::abort();
    return 0;
}
