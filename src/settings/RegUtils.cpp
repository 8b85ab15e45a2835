#include "settings/RegUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <utility>

namespace vt {

namespace {

struct StoreState
{
    QString file;                 // the settings file chosen by useSettingsFile; empty: the user's
    QSet<QString> told;           // files whose fault was told already
    QSet<QString> protectedFiles; // broken files that could not be copied: never written over
    QStringList problems;         // not yet taken
};

StoreState& state()
{
    static StoreState store;
    return store;
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Copies a broken settings file beside itself before it is written over; gives the copy's
// name, or empty with `reason` set. A copy with the same content already there is reused,
// so a file that stays broken from run to run leaves one copy, not one per start.
QString keepCopy(const QString& file, const QByteArray& content, QString* reason)
{
    for (int n = 0; n < 100; ++n) {
        const QString copy =
            file + QStringLiteral(".broken") + (n == 0 ? QString() : QStringLiteral(".%1").arg(n));
        QFile existing(copy);
        if (existing.exists()) {
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content)
                return copy;
            continue;
        }
        QFile target(copy);
        if (target.open(QIODevice::WriteOnly) && target.write(content) == content.size() &&
            target.flush()) {
            target.close();
            if (target.error() == QFileDevice::NoError)
                return copy;
        }
        *reason = target.errorString();
        target.remove();
        return {};
    }
    *reason = QStringLiteral("too many earlier copies");
    return {};
}

// Whether Qt could read a QVariant out of this line of a settings file: a value (or an element
// of a list) that starts with "@" other than in the forms Qt writes for texts and bytes, or an
// escape that gives "@" anywhere. Errs on the safe side: the start of a line counts as
// the start of a value, since it may continue the line before.
bool couldHoldVariant(const QByteArray& line)
{
    bool atStart = true;   // where a value or an element of a list may begin
    bool inValue = false;  // past the "=" that ends the key
    bool inQuotes = false; // commas in quotes do not split a list; quotes themselves give nothing
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            const char kind = line[++i];
            const bool hex = kind == 'x';
            if (hex || (kind >= '0' && kind <= '7')) {
                // As Qt reads them: every digit that follows, kept to 16 bits.
                quint32 value = 0;
                if (hex)
                    ++i;
                for (; i < line.size(); ++i) {
                    const char d = char(line[i] | 0x20);
                    const int digit = hex ? (d >= '0' && d <= '9'   ? d - '0'
                                             : d >= 'a' && d <= 'f' ? d - 'a' + 10
                                                                    : -1)
                                          : (line[i] >= '0' && line[i] <= '7' ? line[i] - '0' : -1);
                    if (digit < 0)
                        break;
                    value = (value * (hex ? 16 : 8) + quint32(digit)) & 0xFFFF;
                }
                --i;
                if (value == '@')
                    return true;
            }
            atStart = false;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '@') {
            // Qt itself writes a text that starts with "@" as "@@", one with a zero character
            // as "@String(...)", and bytes as "@ByteArray(...)": none goes through QDataStream.
            const QByteArrayView rest = QByteArrayView(line).sliced(i + 1);
            if (atStart && !rest.startsWith("@") && !rest.startsWith("String(") &&
                !rest.startsWith("ByteArray("))
                return true;
            atStart = false;
        } else if ((c == '=' && !inValue) || (c == ',' && inValue && !inQuotes)) {
            inValue = true;
            atStart = true;
        } else if (c != ' ' && c != '\t') {
            atStart = false;
        }
    }
    return false;
}

// Qt reads a value that starts with "@Variant(" through QDataStream, which trusts the counts
// it finds: a few damaged bytes can make it reserve gigabytes. The program stores only numbers
// and texts, so before Qt parses a settings file, a line that could hold such a value is taken
// out, once the file is kept as a copy. Gives false when the file must not be handed to Qt at
// all (no copy could be made to take the lines out of).
// `content` without the lines that could hold such a value; false when there are none.
bool withoutVariants(const QByteArray& content, QByteArray* kept)
{
    kept->clear();
    bool changed = false;
    for (const QByteArray& line : content.split('\n')) {
        if (couldHoldVariant(line)) {
            changed = true;
            continue;
        }
        *kept += line + '\n';
    }
    kept->chop(1);
    return changed;
}

bool screenVariants(const QString& file)
{
    StoreState& st = state();
    if (st.protectedFiles.contains(file))
        return false;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return true; // missing, or not readable: nothing for Qt to parse either
    const QByteArray content = input.readAll();
    input.close();
    QByteArray kept;
    if (!withoutVariants(content, &kept))
        return true;

    st.told.insert(file);
    QString reason;
    const QString copy = keepCopy(file, content, &reason);
    QSaveFile output(file);
    if (copy.isEmpty() || !output.open(QIODevice::WriteOnly) || output.write(kept) != kept.size() ||
        !output.commit()) {
        st.protectedFiles.insert(file);
        st.problems.append(
            QStringLiteral("The settings file \"%1\" holds values the program never stores and "
                           "could not set aside (%2): the default settings are used, and the "
                           "file is left as it is, so changes made now are not kept.")
                .arg(shown(file), copy.isEmpty() ? reason : output.errorString()));
        return false;
    }
    st.problems.append(QStringLiteral("The settings file \"%1\" held values the program never "
                                      "stores; they were taken out, and the settings they "
                                      "replaced are back at their defaults. The file as it was "
                                      "is kept as \"%2\".")
                           .arg(shown(file), shown(copy)));
    return true;
}

// A settings file opened through screenVariants: when that refuses it, a store with nothing
// in it, which Qt never reads from the file and which store() never writes.
std::unique_ptr<QSettings> emptyStore(const QString& file)
{
    static const QSettings::Format nothing = QSettings::registerFormat(
        QStringLiteral("unread"), [](QIODevice&, QSettings::SettingsMap&) { return true; },
        [](QIODevice&, const QSettings::SettingsMap&) { return false; });
    return std::make_unique<QSettings>(file, nothing);
}

std::unique_ptr<QSettings> openScreened(const QString& file)
{
    if (screenVariants(file))
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return emptyStore(file);
}

// The settings of a file as Qt reads them once the lines screenVariants takes out are gone,
// without changing the file: Qt parses a private copy, which goes with the store.
class ScreenedCopy : public QSettings
{
public:
    explicit ScreenedCopy(std::unique_ptr<QTemporaryFile> copy)
        : QSettings(copy->fileName(), QSettings::IniFormat), m_copy(std::move(copy))
    {}

private:
    std::unique_ptr<QTemporaryFile> m_copy;
};

// For readers that must leave the store as it is (the command line): a file with such lines is
// screened in a copy, never rewritten, and no ".broken" copy is made.
std::unique_ptr<QSettings> openScreenedReadOnly(const QString& file)
{
    QFile input(file);
    QByteArray kept;
    if (!input.open(QIODevice::ReadOnly) || !withoutVariants(input.readAll(), &kept))
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    StoreState& st = state();
    const bool tell = !st.told.contains(file);
    st.told.insert(file);
    auto copy = std::make_unique<QTemporaryFile>();
    if (!copy->open() || copy->write(kept) != kept.size() || !copy->flush()) {
        if (tell)
            st.problems.append(QStringLiteral("The settings file \"%1\" holds values the "
                                              "program never stores, and could not be read "
                                              "without them (%2): the default settings are used.")
                                   .arg(shown(file), copy->errorString()));
        return emptyStore(file);
    }
    copy->close();
    if (tell)
        st.problems.append(QStringLiteral("The settings file \"%1\" holds values the program "
                                          "never stores: they are passed over, and the settings "
                                          "they stand for are at their defaults. The file is "
                                          "left as it is.")
                               .arg(shown(file)));
    return std::make_unique<ScreenedCopy>(std::move(copy));
}

// Looks at the store as it was opened: a fault is told once, and a broken file is copied
// before the first write can replace it with what Qt managed to read of it.
// `file` is the settings file itself, which a read-only store may have read through a copy;
// such a store keeps no copy of a damaged file.
void inspect(QSettings& settings, const QString& file, bool readOnly)
{
    (void)settings.allKeys(); // sections are parsed when first used: parse them all now
    const QSettings::Status status = settings.status();
    if (status == QSettings::NoError)
        return;
    StoreState& st = state();
    if (st.told.contains(file))
        return;
    st.told.insert(file);
    if (status == QSettings::AccessError || !QFileInfo(file).isFile()) {
        st.problems.append(
            QStringLiteral("The settings file \"%1\" cannot be read: the default settings are "
                           "used, and changes to them may not be kept.")
                .arg(shown(file)));
        return;
    }
    if (readOnly) {
        st.problems.append(QStringLiteral("The settings file \"%1\" is damaged: the settings "
                                          "it lost are at their defaults. The file is left as "
                                          "it is.")
                               .arg(shown(file)));
        return;
    }
    QString reason;
    QString copy;
    QFile original(file);
    if (original.open(QIODevice::ReadOnly))
        copy = keepCopy(file, original.readAll(), &reason);
    else
        reason = original.errorString();
    if (copy.isEmpty()) {
        st.protectedFiles.insert(file);
        st.problems.append(
            QStringLiteral("The settings file \"%1\" is damaged and no copy of it could be "
                           "kept (%2): the settings it lost are back at their defaults, and "
                           "the file is left as it is, so changes made now are not kept.")
                .arg(shown(file), reason));
        return;
    }
    st.problems.append(QStringLiteral("The settings file \"%1\" is damaged: the settings it "
                                      "lost are back at their defaults. The damaged file is "
                                      "kept as \"%2\".")
                           .arg(shown(file), shown(copy)));
}

// Writes one value at once, and tells a write that did not reach the file.
void store(QSettings& settings, const QString& name, const QVariant& value)
{
    StoreState& st = state();
    const QString file = settings.fileName();
    if (st.protectedFiles.contains(file))
        return;
    settings.setValue(name, value);
    settings.sync();
    if (settings.status() == QSettings::AccessError && !st.told.contains(file)) {
        st.told.insert(file);
        st.problems.append(QStringLiteral("The settings could not be saved in \"%1\": "
                                          "changes to them are not kept.")
                               .arg(shown(file)));
    }
}

// A value stored under `name` that cannot be read as asked: told with what it held.
void wrongType(const QSettings& settings, const QString& name, const QVariant& value,
               const QString& wanted, const QString& def)
{
    if (!settings.contains(name))
        return; // simply missing
    const QString held = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QStringLiteral(", "))
                             : value.toString();
    const QString what = held.isEmpty()
                             ? QStringLiteral("a value that is not %1").arg(wanted)
                             : QStringLiteral("\"%1\", which is not %2").arg(held.left(80), wanted);
    state().problems.append(QStringLiteral("The setting \"%1\" held %2: its default, %3, is used.")
                                .arg(name, what, def));
}

// The largest settings file read: the program's own is a few hundred bytes, and a bigger one
// would cost its size in memory several times over.
constexpr qint64 kMaxSettingsFile = 1 << 20;

// Why a settings file must not be read at all, or empty. A pipe would block the start-up for
// ever and a device such as /dev/zero be read until memory runs out; neither is ever opened.
QString refusal(const QString& file)
{
    const QFileInfo info(file); // through links: what a read would reach
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QStringLiteral("it is not a plain file");
    if (info.size() > kMaxSettingsFile)
        return QStringLiteral("at %1 bytes it is larger than the 1 MiB a settings file may be")
            .arg(info.size());
    return {};
}

// A store that stands in for a file that is not read: it holds nothing, and neither reads nor
// writes any file (Qt opens the file a store is named after, so it is named after none).
std::unique_ptr<QSettings> standIn(const QString& file, const QString& why, bool readOnly)
{
    StoreState& st = state();
    st.protectedFiles.insert(file);
    if (!st.told.contains(file)) {
        st.told.insert(file);
        st.problems.append(
            QStringLiteral("The settings file \"%1\" is not read: %2. The default settings are "
                           "used%3.")
                .arg(shown(file), why,
                     readOnly ? QStringLiteral(", and the file is left as it is")
                              : QStringLiteral(", and the file is left as it is, so changes made "
                                               "now are not kept")));
    }
    static const QTemporaryDir nowhere;
    const QString none = nowhere.filePath(QStringLiteral("none.ini"));
    st.protectedFiles.insert(none);
    return emptyStore(none);
}

std::unique_ptr<QSettings> openStore(const QString& subkey, bool readOnly)
{
    const auto screened = [readOnly](const QString& file) {
        if (const QString why = refusal(file); !why.isEmpty())
            return standIn(file, why, readOnly);
        return readOnly ? openScreenedReadOnly(file) : openScreened(file);
    };
    std::unique_ptr<QSettings> settings;
    if (const QString file = state().file; !file.isEmpty()) {
        settings = screened(file);
        if (!state().protectedFiles.contains(settings->fileName()))
            inspect(*settings, file, readOnly);
        if (!subkey.isEmpty())
            settings->beginGroup(subkey);
        return settings;
    }
#ifdef Q_OS_WIN
    QString path = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tamsel Software\\Vorlan\\Tesselor");
    if (!subkey.isEmpty())
        path += QLatin1Char('\\') + subkey;
    settings = std::make_unique<QSettings>(path, QSettings::NativeFormat);
    inspect(*settings, settings->fileName(), readOnly);
#else
    // The native store here is an INI file: it is screened like the one of useSettingsFile,
    // and read alone (not the organisation's and the system's files behind it, which are not
    // screened and hold nothing of ours).
    QString application = QStringLiteral("Vorlan/Tesselor");
    if (!subkey.isEmpty())
        application += QLatin1Char('/') + subkey;
    // Named as Qt names it, without a store of Qt's own, which would read the file at once.
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/Tamsel Software/") + application +
                         QStringLiteral(".conf");
    settings = screened(file);
    settings->setFallbacksEnabled(false);
    if (!state().protectedFiles.contains(settings->fileName()))
        inspect(*settings, file, readOnly);
#endif
    return settings;
}

} // namespace

void useSettingsFile(const QString& path)
{
    state() = StoreState{};
    state().file = path;
}

QString usedSettingsFile()
{
    return state().file;
}

std::unique_ptr<QSettings> OpenReg(const QString& subkey)
{
    return openStore(subkey, false);
}

QString GetRegString(const QString& name, const QString& def)
{
    auto settings = OpenReg();
    const QVariant value = settings->value(name);
    // A list (an unquoted comma in a hand-edited file) or any other non-scalar is not a string.
    if (value.isValid() && value.canConvert<QString>() &&
        value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QVariantList)
        return value.toString();
    wrongType(*settings, name, value, QStringLiteral("a text"), QStringLiteral("\"%1\"").arg(def));
    store(*settings, name, def);
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
    wrongType(*settings, name, value, QStringLiteral("a 32-bit whole number"),
              QString::number(def));
    store(*settings, name, def);
    return def;
}

// Read as GetRegString and GetRegInteger read, without storing anything.
QString PeekRegString(const QString& name, const QString& def)
{
    const QVariant value = openStore({}, true)->value(name);
    if (value.isValid() && value.canConvert<QString>() &&
        value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QVariantList)
        return value.toString();
    return def;
}

qint32 PeekRegInteger(const QString& name, qint32 def)
{
    const QVariant value = openStore({}, true)->value(name);
    bool ok = false;
    const qint64 number = value.isValid() ? value.toLongLong(&ok) : 0;
    if (ok && number >= INT32_MIN && number <= UINT32_MAX)
        return static_cast<qint32>(static_cast<quint32>(number));
    return def;
}

void SetRegString(const QString& name, const QString& value)
{
    store(*OpenReg(), name, value);
}

void SetRegInteger(const QString& name, qint32 value)
{
    store(*OpenReg(), name, value);
}

QStringList takeSettingsProblems()
{
    return std::exchange(state().problems, QStringList());
}

} // namespace vt
