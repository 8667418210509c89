#pragma once
// setupapi's driver-store look-up and the native architecture, scripted. By default
// the look-up is absent, as in Wine 8 and on Windows XP.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/driver_setup.h"

namespace zv::fakes {

class FakeDriverSetup : public IDriverSetup {
public:
    bool GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) override;
    std::uint16_t NativeProcessorArchitecture() override { return architecture; }

    // Published INF path (any letter case) -> the INF's path in its package.
    void setLocation(const std::string& infPath, const std::string& storeInf);

    bool hasLocationCall = false;
    std::uint16_t architecture = kProcessorArchitectureIntel;
    std::vector<std::string> asked;

private:
    std::map<std::string, std::string> m_locations;  // keyed by the upper-cased INF path
};

}  // namespace zv::fakes
