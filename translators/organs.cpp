// The registry: one line per organ.

#include "organs.h"

#include "xlate150.h"
#include "xlate165.h"

namespace {

const Organ* const everyOrgan[] = {
    &organ165,
    &organ150,
};

}  // namespace

Rows<const Organ*> organs() {
    return everyOrgan;
}

const Organ* findOrgan(const std::string& name) {
    for (const Organ* organ : organs()) {
        if (name == organ->name) {
            return organ;
        }
    }
    return nullptr;
}

std::string joinedList(const std::vector<std::string>& items, const char* lastSeparator,
                       const char* separator) {
    std::string list;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            list += i + 1 == items.size() ? lastSeparator : separator;
        }
        list += items[i];
    }
    return list;
}

std::string listOrgans(const std::function<std::string(const Organ&)>& item,
                       const char* lastSeparator, const char* separator) {
    std::vector<std::string> items;
    for (const Organ* organ : organs()) {
        items.push_back(item(*organ));
    }
    return joinedList(items, lastSeparator, separator);
}

std::string organNames(const char* lastSeparator, const char* separator) {
    return listOrgans([](const Organ& organ) { return std::string(organ.name); }, lastSeparator,
                      separator);
}
