#include "inventory/ReadDrivers.h"

#include <map>
#include <utility>
#include <vector>

#include "inventory/md_registry.h"
#include "support/guard.h"
#include "support/text.h"
#include "support/vbrt.h"

namespace zv {

namespace {

// ReadDrivers carries no line numbers and reports nothing: a step that fails is
// skipped and the next one runs. Only run-time failures are swallowed; the end
// of the program (ProgramExit) is not one and passes through.
template <class Step>
void Skip(Step&& step) {
    try {
        step();
    } catch (...) {
        (void)CurrentFailure();
    }
}

// The ID less its last five characters: the backslash and a four-character
// instance name. Deliberately positional, whatever the instance name's length.
std::string ClassPathOf(const std::string& id) {
    const std::string path = std::string(kClassKey) + "\\" + id;
    return path.substr(0, path.size() >= 5 ? path.size() - 5 : 0);
}

// The device of each driver instance, by its ID in lower case, from one listing of
// the devices. A driver that several devices use shows a present one.
std::map<std::string, DeviceEntry> DevicesByDriver(IDevices& devices) {
    std::map<std::string, DeviceEntry> out;
    std::vector<DeviceEntry> all;
    Dword error = 0;
    if (!devices.ListDevices(&all, &error)) return out;
    for (DeviceEntry& d : all) {
        if (d.driverKey.empty()) continue;
        DeviceEntry& slot = out[ToLower(d.driverKey)];
        if (slot.driverKey.empty() || (d.present && !slot.present)) slot = std::move(d);
    }
    return out;
}

}  // namespace

std::vector<DriverRecord> ListDrivers(Env& env, const ICheckBox& chkMicrosoft) {
    using md_registry::ReadKey;
    using md_registry::ValueText;

    // Phase one: every subkey of every class key, before any value is read.
    std::vector<std::string> DriverKeys;
    std::vector<std::string> classes;
    Skip([&] { classes = md_registry::ListKey(env, kHkeyLocalMachine, kClassKey); });
    for (const std::string& cls : classes) {
        std::vector<std::string> instances;
        Skip([&] {
            instances = md_registry::ListKey(env, kHkeyLocalMachine, std::string(kClassKey) + "\\" + cls);
        });
        for (const std::string& inst : instances) Skip([&] { DriverKeys.push_back(cls + "\\" + inst); });
    }

    // Phase two. The values are read through open keys (the Class key, the current class
    // and instance keys) rather than from HKEY_LOCAL_MACHINE each time: the same values,
    // at a fraction of the registry calls.
    md_registry::OpenKeys keys(env.os.registry);
    Skip([&] { keys.Keep(kHkeyLocalMachine, kClassKey); });
    // The devices once per listing, not once per driver.
    std::map<std::string, DeviceEntry> devices;
    Skip([&] { devices = DevicesByDriver(env.os.devices); });
    std::vector<DriverRecord> records;
    // The class key's two values are the same for each of its instances: they are read once
    // per class path (a run of IDs of one class), not once per ID, which would ask the
    // registry for them again for every driver. The path is the positional one, so an
    // instance name of another length still reads the key its path names.
    std::string lastClassPath;
    bool classRead = false;
    std::string classDefault, className;
    for (const std::string& id : DriverKeys) {
        const std::string instancePath = std::string(kClassKey) + "\\" + id;
        const std::string classPath = ClassPathOf(id);
        DriverRecord r;
        r.id = id;
        Skip([&] {
            r.provider = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "ProviderName", &keys));
        });
        if (!classRead || classPath != lastClassPath) {
            classDefault.clear();
            className.clear();
            Skip([&] { classDefault = ValueText(ReadKey(env, kHkeyLocalMachine, classPath, "", &keys)); });
            Skip([&] { className = ValueText(ReadKey(env, kHkeyLocalMachine, classPath, "Class", &keys)); });
            lastClassPath = classPath;
            classRead = true;
        }
        r.classDefault = classDefault;
        r.className = className;
        Skip([&] {
            r.description = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "DriverDesc", &keys));
        });
        Skip([&] { r.infName = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "InfPath", &keys)); });

        if (r.description.empty()) continue;
        // Whole-value equality: "Microsoft Corporation" or " Microsoft" is another provider.
        const bool microsoftOrNone = r.provider.empty() || ToLower(r.provider) == "microsoft";
        if (microsoftOrNone) {
            int ticked = 0;
            Skip([&] { ticked = chkMicrosoft.value(); });
            if (ticked != 1) continue;
        }
        // Beyond the five values: the driver's version and date, and its device.
        Skip([&] {
            r.version = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "DriverVersion", &keys));
        });
        Skip([&] { r.date = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "DriverDate", &keys)); });
        if (const auto device = devices.find(ToLower(id)); device != devices.end()) {
            r.hasDevice = true;
            r.device = device->second.name;
            r.present = device->second.present;
            r.extensionInfs = device->second.extensionInfs;
        }
        Skip([&] { records.push_back(std::move(r)); });
    }
    return records;
}

void ReadDrivers(Env& env, MainControls& c, std::vector<DriverRecord>* shown, const DriverLister& lister) {
    Skip([&] { c.form.setMousePointer(kPointerHourglass); });
    Skip([&] { env.os.ui.DoEvents(); });
    Skip([&] { c.lstDrivers.clear(); });
    if (shown) shown->clear();

    const std::vector<DriverRecord> records =
        lister ? lister(env, c.chkMicrosoft) : ListDrivers(env, c.chkMicrosoft);
    // The list holds its redraw until the last row and makes room for all rows at once.
    struct Fill {
        IDriverList& list;
        ~Fill() {
            Skip([&] { list.endFill(); });
        }
    } fill{c.lstDrivers};
    Skip([&] { c.lstDrivers.beginFill(static_cast<long>(records.size())); });
    for (const DriverRecord& r : records) {
        // The list is unsorted, so the row just added is the last one.
        long row = 0;
        Skip([&] {
            c.lstDrivers.add(r.description);
            row = c.lstDrivers.count();
        });
        if (row == 0) continue;
        if (shown) Skip([&] { shown->push_back(r); });
        const std::vector<std::string> cells = CellsOf(r);
        for (int k = kFirstSubItem; k < kRecordColumns; ++k)
            Skip([&] { c.lstDrivers.setSubItem(row, k, cells[k]); });
    }

    Skip([&] { env.os.ui.DoEvents(); });
    Skip([&] { c.form.setMousePointer(kPointerDefault); });
}

std::vector<std::string> CellsOf(const DriverRecord& r) {
    return {r.description,
            r.classDefault,
            r.provider,
            r.id,
            r.className,
            r.infName,
            r.version,
            r.date,
            r.hasDevice ? r.device : kNoDevice,
            r.hasDevice ? (r.present ? kPresentYes : kPresentNo) : ""};
}

// One statement per marked line: the line table takes each line as written.
// clang-format off
void chkMicrosoft_Click(Env& env, MainControls& c, std::vector<DriverRecord>* shown, const DriverLister& lister) {
    Guard(env, [&](int& erl) {
        LN(204) ReadDrivers(env, c, shown, lister);
    });
}

// Both list commands count with a 16-bit position, so a list of more than 32,767
// rows overflows at the loop head before any tick changes. The loop end is not
// made to overflow after the last row: that would report a failure after the
// work was done.
void cmdInvert_Click(Env& env, MainControls& c) {
    Guard(env, [&](int& erl) {
        LN(296) const short last = ToInteger(c.lstDrivers.count());
        for (long x = 1; x <= last; ++x) {
            LN(297) c.lstDrivers.setChecked(x, !c.lstDrivers.checked(x));
            LN(298) continue;  // loop end
        }
    });
}

void cmdSelect_Click(Env& env, MainControls& c) {
    Guard(env, [&](int& erl) {
        LN(299) const short last = ToInteger(c.lstDrivers.count());
        for (long x = 1; x <= last; ++x) {
            LN(300) c.lstDrivers.setChecked(x, true);
            LN(301) continue;  // loop end
        }
    });
}

// clang-format on

}  // namespace zv
