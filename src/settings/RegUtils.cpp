#include "settings/RegUtils.h"

namespace vt {

namespace {
QString& settingsFile()
{
    static QString path;
    return path;
}
} // namespace

void useSettingsFile(const QString& path)
{
    settingsFile() = path;
}

std::unique_ptr<QSettings> OpenReg(const QString& subkey)
{
    if (!settingsFile().isEmpty()) {
        auto settings = std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat);
        if (!subkey.isEmpty())
            settings->beginGroup(subkey);
        return settings;
    }
#ifdef Q_OS_WIN
    QString path = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tamsel Software\\Vorlan\\Tesselor");
    if (!subkey.isEmpty())
        path += QLatin1Char('\\') + subkey;
    return std::make_unique<QSettings>(path, QSettings::NativeFormat);
#else
    QString application = QStringLiteral("Vorlan/Tesselor");
    if (!subkey.isEmpty())
        application += QLatin1Char('/') + subkey;
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tamsel Software"), application);
#endif
}

QString GetRegString(const QString& name, const QString& def)
{
    auto settings = OpenReg();
    const QVariant value = settings->value(name);
    // A list (an unquoted comma in a hand-edited file) or any other non-scalar is not a string.
    if (value.isValid() && value.canConvert<QString>() &&
        value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QVariantList)
        return value.toString();
    settings->setValue(name, def);
    return def;
}

qint32 GetRegInteger(const QString& name, qint32 def)
{
    auto settings = OpenReg();
    const QVariant value = settings->value(name);
    if (value.isValid()) {
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        if (ok && number >= INT32_MIN && number <= UINT32_MAX)
            return static_cast<qint32>(static_cast<quint32>(number));
    }
    settings->setValue(name, def);
    return def;
}

// Read as GetRegString and GetRegInteger read, without storing anything.
QString PeekRegString(const QString& name, const QString& def)
{
    const QVariant value = OpenReg()->value(name);
    if (value.isValid() && value.canConvert<QString>() &&
        value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QVariantList)
        return value.toString();
    return def;
}

qint32 PeekRegInteger(const QString& name, qint32 def)
{
    const QVariant value = OpenReg()->value(name);
    bool ok = false;
    const qint64 number = value.isValid() ? value.toLongLong(&ok) : 0;
    if (ok && number >= INT32_MIN && number <= UINT32_MAX)
        return static_cast<qint32>(static_cast<quint32>(number));
    return def;
}

void SetRegString(const QString& name, const QString& value)
{
    OpenReg()->setValue(name, value);
}

void SetRegInteger(const QString& name, qint32 value)
{
    OpenReg()->setValue(name, value);
}

} // namespace vt
