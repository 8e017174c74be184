#include "app/control/HotkeyChordJSON.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

namespace brevanor {

namespace {

const QString kKeyCode = QStringLiteral("keyCode");
const QString kModifiers = QStringLiteral("modifiers");

// A whole number in [0, upper]; JSON numbers with a fraction or out of range are not.
std::optional<std::uint64_t> wholeNumber(const QJsonValue& value, std::uint64_t upper) {
    if (!value.isDouble()) return std::nullopt;
    const qint64 number = value.toInteger(-1);
    if (number < 0 || static_cast<std::uint64_t>(number) > upper) return std::nullopt;
    return static_cast<std::uint64_t>(number);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> HotkeyChordJSON::encode(const HotkeyChord& chord) {
    if (chord.modifiers > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max())) return std::nullopt;
    QJsonObject object;
    object.insert(kKeyCode, static_cast<qint64>(chord.keyCode));
    object.insert(kModifiers, static_cast<qint64>(chord.modifiers));
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::optional<HotkeyChord> HotkeyChordJSON::decode(const std::vector<std::uint8_t>& data) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = wholeNumber(object.value(kKeyCode), std::numeric_limits<std::uint16_t>::max());
    const auto modifiers =
        wholeNumber(object.value(kModifiers), static_cast<std::uint64_t>(std::numeric_limits<qint64>::max()));
    if (!keyCode || !modifiers) return std::nullopt;
    return HotkeyChord{static_cast<std::uint16_t>(*keyCode), *modifiers};
}

}  // namespace brevanor
