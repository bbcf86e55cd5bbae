#include "network.h"

#include "hex_text.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace tarvin::sim {

namespace {

QString L(const char* text)
{
    return QString::fromLatin1(text);
}

// Where the named fields sit in a unit's parameter space.
constexpr int kParamUnitAddress = 0x20;
constexpr int kParamProject = 0x23;
constexpr int kParamPartName = 0x2A;
constexpr int kParamUnitType = 0xF7;

// A bus number: a text of one or two hex digits, or a JSON number.
bool ReadByte(const QJsonValue& value, int& out)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d < 0 || d > 255 || d != static_cast<int>(d))
            return false;
        out = static_cast<int>(d);
        return true;
    }
    const QByteArray text = value.toString().toLatin1();
    if (text.isEmpty() || text.size() > 2)
        return false;
    int v = 0;
    for (char c : text) {
        const int digit = HexValue(c);
        if (digit < 0)
            return false;
        v = v * 16 + digit;
    }
    out = v;
    return true;
}

bool ReadHexBytes(const QString& text, QByteArray& out)
{
    const QByteArray hex = text.toLatin1();
    if (hex.size() % 2 != 0)
        return false;
    out.clear();
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex.at(i));
        const int low = HexValue(hex.at(i + 1));
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
    }
    return true;
}

class Reader
{
public:
    QString error;

    bool fail(const QString& where, const QString& what)
    {
        if (error.isEmpty())
            error = where + L(": ") + what;
        return false;
    }

    bool checkKeys(const QJsonObject& object, const QString& where,
                   std::initializer_list<const char*> known)
    {
        QSet<QString> allowed;
        for (const char* k : known)
            allowed.insert(L(k));
        for (auto it = object.begin(); it != object.end(); ++it)
            if (!allowed.contains(it.key()))
                return fail(where, L("unknown key \"") + it.key() + L("\""));
        return true;
    }

    bool text(const QJsonObject& object, const char* key, int maxLength, QByteArray& out,
              const QString& where)
    {
        if (!object.contains(L(key)))
            return true;
        const QJsonValue value = object.value(L(key));
        if (!value.isString())
            return fail(where, L(key) + L(" must be a text"));
        const QByteArray bytes = value.toString().toLatin1();
        if (bytes.size() > maxLength)
            return fail(where, L(key) + L(" is longer than %1 characters").arg(maxLength));
        out = bytes;
        return true;
    }

    bool unit(const QJsonValue& value, SimUnit& unit, const QString& where)
    {
        if (!value.isObject())
            return fail(where, L("a unit must be an object"));
        const QJsonObject o = value.toObject();
        if (!checkKeys(o, where,
                       {"address", "manufacturer", "type", "firmware", "partName", "project",
                        "serial", "voltage", "mmiState", "eeprom", "parameters"}))
            return false;
        int address = 0;
        if (!o.contains(L("address")) || !ReadByte(o.value(L("address")), address))
            return fail(where, L("address must be a hex byte such as \"05\""));
        unit.address = static_cast<std::uint8_t>(address);
        for (int i = 0; i < 256; ++i)
            unit.eeprom[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        if (!text(o, "manufacturer", 8, unit.manufacturer, where) ||
            !text(o, "type", 8, unit.type, where) ||
            !text(o, "firmware", 8, unit.firmware, where) ||
            !text(o, "partName", 8, unit.partName, where) ||
            !text(o, "project", 8, unit.project, where) ||
            !text(o, "voltage", 5, unit.voltage, where))
            return false;
        if (o.contains(L("serial"))) {
            const QStringList parts = o.value(L("serial")).toString().split(QLatin1Char('-'));
            bool okHigh = false;
            bool okLow = false;
            if (parts.size() == 2) {
                unit.serialHigh = parts[0].toUInt(&okHigh);
                unit.serialLow = parts[1].toUInt(&okLow);
            }
            if (!okHigh || !okLow || unit.serialHigh > 0xFFFFF || unit.serialLow > 0xFFF)
                return fail(where, L("serial must be \"A-B\", A up to 1048575, B up to 4095"));
        }
        if (o.contains(L("mmiState"))) {
            const int state = o.value(L("mmiState")).toInt(-1);
            if (state < 1 || state > 3)
                return fail(where, L("mmiState must be 1, 2 or 3"));
            unit.mmiState = state;
        }
        if (o.contains(L("eeprom"))) {
            QByteArray bytes;
            if (!ReadHexBytes(o.value(L("eeprom")).toString(), bytes) || bytes.size() > 256)
                return fail(where, L("eeprom must be up to 256 bytes as hex pairs"));
            unit.eeprom.fill(0);
            for (qsizetype i = 0; i < bytes.size(); ++i)
                unit.eeprom[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bytes.at(i));
        }
        // The named fields live in the parameter space too.
        unit.eeprom[kParamUnitAddress] = unit.address;
        const QByteArray project = PackSixBitName(unit.project);
        const QByteArray part = PackSixBitName(unit.partName);
        for (int i = 0; i < 6; ++i) {
            unit.eeprom[static_cast<std::size_t>(kParamProject + i)] =
                static_cast<std::uint8_t>(project.at(i));
            unit.eeprom[static_cast<std::size_t>(kParamPartName + i)] =
                static_cast<std::uint8_t>(part.at(i));
        }
        const QByteArray type = unit.type.leftJustified(8, ' ');
        for (int i = 0; i < 8; ++i)
            unit.eeprom[static_cast<std::size_t>(kParamUnitType + i)] =
                static_cast<std::uint8_t>(type.at(i));
        if (o.contains(L("parameters"))) {
            const QJsonObject params = o.value(L("parameters")).toObject();
            for (auto it = params.begin(); it != params.end(); ++it) {
                int number = 0;
                int byte = 0;
                if (!ReadByte(QJsonValue(it.key()), number) || !ReadByte(it.value(), byte))
                    return fail(where, L("parameters maps hex bytes to hex bytes"));
                unit.eeprom[static_cast<std::size_t>(number)] = static_cast<std::uint8_t>(byte);
            }
        }
        return true;
    }

    bool application(const QJsonValue& value, QMap<int, SimApplication>& out, const QString& where)
    {
        if (!value.isObject())
            return fail(where, L("an application must be an object"));
        const QJsonObject o = value.toObject();
        if (!checkKeys(o, where, {"application", "groups"}))
            return false;
        int number = 0;
        if (!ReadByte(o.value(L("application")), number))
            return fail(where, L("application must be a hex byte such as \"38\""));
        SimApplication& app = out[number];
        const QJsonObject groups = o.value(L("groups")).toObject();
        for (auto it = groups.begin(); it != groups.end(); ++it) {
            int group = 0;
            if (!ReadByte(QJsonValue(it.key()), group))
                return fail(where, L("group addresses are hex bytes"));
            SimGroup g;
            if (it.value().isString() && it.value().toString() == L("conflict"))
                g.conflict = true;
            else if (!it.value().isDouble() || it.value().toDouble() < 0 ||
                     it.value().toDouble() > 255)
                return fail(where, L("a group is a level 0..255 or \"conflict\""));
            else
                g.level = it.value().toInt();
            app.groups[group] = g;
        }
        return true;
    }

    bool network(const QJsonObject& o, SimNetwork& net, const QString& where)
    {
        const QJsonArray units = o.value(L("units")).toArray();
        QSet<int> seen;
        for (int i = 0; i < units.size(); ++i) {
            SimUnit unit;
            if (!this->unit(units[i], unit, where + L(" unit %1").arg(i + 1)))
                return false;
            if (seen.contains(unit.address))
                return fail(where, L("two units at address %1").arg(unit.address));
            seen.insert(unit.address);
            net.units.append(unit);
        }
        const QJsonArray apps = o.value(L("applications")).toArray();
        for (int i = 0; i < apps.size(); ++i)
            if (!application(apps[i], net.applications, where + L(" application %1").arg(i + 1)))
                return false;
        return true;
    }
};

} // namespace

const SimUnit* SimNetwork::unit(int address) const
{
    for (const SimUnit& u : units)
        if (u.address == address)
            return &u;
    return nullptr;
}

const SimNetwork* SimInstallation::network(const QByteArray& path) const
{
    const QByteArray wanted = path.toUpper();
    for (const SimNetwork& n : networks)
        if (n.path == wanted)
            return &n;
    return nullptr;
}

QByteArray PackSixBitName(const QByteArray& name)
{
    // Code 30 pads: a blank, or a position past the end of the name.
    quint64 value = 0;
    for (int i = 0; i < 8; ++i) {
        int code = 30;
        if (i < name.size()) {
            int c = static_cast<unsigned char>(name.at(i));
            if (c >= 'a' && c <= 'z')
                c -= 32;
            if (c >= 33 && c <= 96 && c != 63)
                code = c - 33;
        }
        value = (value << 6) | static_cast<quint64>(code);
    }
    QByteArray bytes;
    for (int shift = 40; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

std::optional<SimInstallation> SimInstallation::FromJson(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull() || !doc.isObject()) {
        if (error)
            *error = L("not a JSON object: ") + parseError.errorString();
        return std::nullopt;
    }
    Reader reader;
    const QJsonObject root = doc.object();
    SimInstallation inst;
    SimNetwork local;
    bool ok = reader.checkKeys(root, L("network"), {"pci", "units", "applications", "networks"});
    if (ok) {
        if (!root.contains(L("pci")))
            ok = reader.fail(L("network"), L("the \"pci\" object is missing"));
        else
            ok = reader.unit(root.value(L("pci")), inst.pci, L("pci"));
    }
    if (ok)
        ok = reader.network(root, local, L("local network"));
    if (ok && local.unit(inst.pci.address))
        ok = reader.fail(L("local network"), L("a unit shares the PCI's address"));
    if (ok) {
        inst.networks.append(local);
        const QJsonArray remote = root.value(L("networks")).toArray();
        for (int i = 0; ok && i < remote.size(); ++i) {
            const QString where = L("network %1").arg(i + 1);
            const QJsonObject o = remote[i].toObject();
            ok = reader.checkKeys(o, where, {"path", "units", "applications"});
            SimNetwork net;
            QByteArray path;
            if (ok && (!ReadHexBytes(o.value(L("path")).toString(), path) || path.isEmpty() ||
                       path.size() > 6))
                ok = reader.fail(where, L("path must be 1 to 6 bridge addresses as hex pairs"));
            if (ok) {
                net.path = o.value(L("path")).toString().toLatin1().toUpper();
                if (inst.network(net.path))
                    ok = reader.fail(where, L("two networks with the path ") +
                                                QString::fromLatin1(net.path));
            }
            if (ok)
                ok = reader.network(o, net, where);
            if (ok)
                inst.networks.append(net);
        }
    }
    if (!ok) {
        if (error)
            *error = reader.error;
        return std::nullopt;
    }
    return inst;
}

std::optional<SimInstallation> SimInstallation::Load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = L("cannot read ") + path + L(": ") + file.errorString();
        return std::nullopt;
    }
    QString reason;
    auto inst = FromJson(file.readAll(), &reason);
    if (!inst && error)
        *error = path + L(": ") + reason;
    return inst;
}

SimInstallation SimInstallation::Default()
{
    static const char kDefault[] = R"({
  "pci": { "address": "01", "manufacturer": "OSTREL", "type": "PCI", "firmware": "4.2",
           "partName": "TESTUNIT", "project": "HOME", "serial": "30-576", "voltage": "36.0V",
           "parameters": { "42": "0E" } },
  "units": [
    { "address": "05", "type": "DIMMER", "firmware": "2.1", "partName": "LOUNGE",
      "project": "HOME", "serial": "12-34", "voltage": "35.8V" },
    { "address": "0A", "type": "RELAY", "firmware": "1.3", "partName": "KITCHEN",
      "voltage": "34.9V", "mmiState": 2 },
    { "address": "20", "type": "SENSOR", "firmware": "3.0", "voltage": "36.1V" }
  ],
  "applications": [
    { "application": "38", "groups": { "00": 255, "01": 0, "02": 128, "10": "conflict",
                                        "21": 64, "40": 200, "FF": 1 } }
  ],
  "networks": [
    { "path": "0A1B",
      "units": [ { "address": "07", "type": "REMOTE", "firmware": "1.0", "voltage": "33.3V" } ],
      "applications": [ { "application": "38", "groups": { "05": 100 } } ] }
  ]
})";
    QString error;
    auto inst = FromJson(QByteArray(kDefault), &error);
    Q_ASSERT_X(inst.has_value(), "SimInstallation::Default", qPrintable(error));
    return inst ? *inst : SimInstallation{};
}

} // namespace tarvin::sim
