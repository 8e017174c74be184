#include "app/control/QtPreferencesStore.h"

#include <cmath>
#include <limits>

namespace brevanor {

namespace {

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool isText(const QVariant& value) { return value.typeId() == QMetaType::QString; }

bool isInteger(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong: return true;
        case QMetaType::ULongLong: return value.toULongLong() <= std::numeric_limits<std::int64_t>::max();
        default: return false;
    }
}

}  // namespace

QtPreferencesStore::QtPreferencesStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

QVariant QtPreferencesStore::value(std::string_view key) const { return settings_->value(toQString(key)); }

std::optional<std::int64_t> QtPreferencesStore::getInteger(std::string_view key) const {
    const QVariant stored = value(key);
    if (isInteger(stored)) return stored.toLongLong();
    bool ok = false;
    if (isText(stored)) {
        const qlonglong number = stored.toString().toLongLong(&ok);
        if (ok) return number;
    }
    if (stored.typeId() == QMetaType::Double) {
        // A whole number kept as a double (the native stores do that) still counts.
        const double number = stored.toDouble();
        if (std::trunc(number) == number && std::abs(number) < 0x1p63) return static_cast<std::int64_t>(number);
    }
    return std::nullopt;
}

std::optional<bool> QtPreferencesStore::getBoolean(std::string_view key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Bool) return stored.toBool();
    if (isText(stored)) {
        const QString text = stored.toString();
        if (text == QLatin1String("true")) return true;
        if (text == QLatin1String("false")) return false;
    }
    return std::nullopt;
}

std::optional<double> QtPreferencesStore::getDouble(std::string_view key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Double || isInteger(stored)) return stored.toDouble();
    if (isText(stored)) {
        bool ok = false;
        const double number = stored.toString().toDouble(&ok);
        if (ok) return number;
    }
    return std::nullopt;
}

std::optional<std::string> QtPreferencesStore::getString(std::string_view key) const {
    const QVariant stored = value(key);
    if (!isText(stored)) return std::nullopt;
    return stored.toString().toStdString();
}

std::optional<std::vector<std::uint8_t>> QtPreferencesStore::getData(std::string_view key) const {
    const QVariant stored = value(key);
    if (stored.typeId() != QMetaType::QByteArray) return std::nullopt;
    const QByteArray bytes = stored.toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void QtPreferencesStore::setInteger(std::string_view key, std::int64_t value) {
    write(key, QVariant::fromValue<qlonglong>(value));
}

void QtPreferencesStore::setBoolean(std::string_view key, bool value) { write(key, QVariant(value)); }

void QtPreferencesStore::setDouble(std::string_view key, double value) { write(key, QVariant(value)); }

void QtPreferencesStore::setString(std::string_view key, std::string_view value) {
    write(key, QVariant(toQString(value)));
}

void QtPreferencesStore::setData(std::string_view key, std::vector<std::uint8_t> value) {
    write(key, QVariant(QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()))));
}

void QtPreferencesStore::remove(std::string_view key) {
    settings_->remove(toQString(key));
    settings_->sync();
}

void QtPreferencesStore::write(std::string_view key, const QVariant& value) {
    settings_->setValue(toQString(key), value);
    settings_->sync();
}

}  // namespace brevanor
