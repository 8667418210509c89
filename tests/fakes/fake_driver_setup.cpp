#include "fakes/fake_driver_setup.h"

#include <cctype>

namespace zv::fakes {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool FakeDriverSetup::GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) {
    if (!hasLocationCall) return false;
    asked.push_back(infPath);
    const auto it = m_locations.find(Upper(infPath));
    if (it == m_locations.end()) return false;
    *storeInf = it->second;
    return true;
}

void FakeDriverSetup::setLocation(const std::string& infPath, const std::string& storeInf) {
    hasLocationCall = true;
    m_locations[Upper(infPath)] = storeInf;
}

}  // namespace zv::fakes
