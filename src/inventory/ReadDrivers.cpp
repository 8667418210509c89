#include "inventory/ReadDrivers.h"

#include <map>
#include <vector>

#include "inventory/md_registry.h"
#include "support/guard.h"
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

void ReadDrivers(Env& env, MainControls& c) {
    using md_registry::ReadKey;
    using md_registry::ValueText;

    Skip([&] { c.form.setMousePointer(kPointerHourglass); });
    Skip([&] { env.os.ui.DoEvents(); });
    Skip([&] { c.lstDrivers.clear(); });

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
    // at a fraction of the registry calls. The list holds its redraw until the last row.
    md_registry::OpenKeys keys(env.os.registry);
    Skip([&] { keys.Keep(kHkeyLocalMachine, kClassKey); });
    struct Fill {
        IDriverList& list;
        ~Fill() {
            Skip([&] { list.endFill(); });
        }
    } fill{c.lstDrivers};
    Skip([&] { c.lstDrivers.beginFill(static_cast<long>(DriverKeys.size())); });
    // The devices once per listing, not once per row.
    std::map<std::string, DeviceEntry> devices;
    Skip([&] { devices = DevicesByDriver(env.os.devices); });
    for (const std::string& id : DriverKeys) {
        const std::string instancePath = std::string(kClassKey) + "\\" + id;
        const std::string classPath = ClassPathOf(id);
        std::string provider, classDefault, className, description, infPath;
        Skip([&] {
            provider = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "ProviderName", &keys));
        });
        Skip([&] { classDefault = ValueText(ReadKey(env, kHkeyLocalMachine, classPath, "", &keys)); });
        Skip([&] { className = ValueText(ReadKey(env, kHkeyLocalMachine, classPath, "Class", &keys)); });
        Skip([&] {
            description = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "DriverDesc", &keys));
        });
        Skip([&] { infPath = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "InfPath", &keys)); });
        std::string version, date;
        Skip([&] {
            version = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "DriverVersion", &keys));
        });
        Skip([&] { date = ValueText(ReadKey(env, kHkeyLocalMachine, instancePath, "DriverDate", &keys)); });

        if (description.empty()) continue;
        // Whole-value equality: "Microsoft Corporation" or " Microsoft" is another provider.
        const bool microsoftOrNone = provider.empty() || ToLower(provider) == "microsoft";
        if (microsoftOrNone) {
            int ticked = 0;
            Skip([&] { ticked = c.chkMicrosoft.value(); });
            if (ticked != 1) continue;
        }

        // The list is unsorted, so the row just added is the last one.
        bool added = false;
        Skip([&] {
            c.lstDrivers.add(description);
            added = true;
        });
        if (!added) continue;
        const auto device = devices.find(ToLower(id));
        const bool used = device != devices.end();
        const std::string cells[kDriverColumns] = {
            description,
            classDefault,
            provider,
            id,
            className,
            infPath,
            version,
            date,
            used ? device->second.name : kNoDevice,
            used ? (device->second.present ? kPresentYes : kPresentNo) : ""};
        for (int k = kFirstSubItem; k <= kLastSubItem; ++k)
            Skip([&] { c.lstDrivers.setSubItem(c.lstDrivers.count(), k, cells[k]); });
    }

    Skip([&] { env.os.ui.DoEvents(); });
    Skip([&] { c.form.setMousePointer(kPointerDefault); });
}

// One statement per marked line: the line table takes each line as written.
// clang-format off
void chkMicrosoft_Click(Env& env, MainControls& c) {
    Guard(env, [&](int& erl) {
        LN(204) ReadDrivers(env, c);
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
