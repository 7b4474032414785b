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

std::string listOrgans(const std::function<std::string(const Organ&)>& item,
                       const char* lastSeparator, const char* separator) {
    std::string list;
    const Rows<const Organ*> all = organs();
    for (int i = 0; i < all.size(); ++i) {
        if (i > 0) {
            list += i + 1 == all.size() ? lastSeparator : separator;
        }
        list += item(*all[i]);
    }
    return list;
}

std::string organNames(const char* lastSeparator, const char* separator) {
    return listOrgans([](const Organ& organ) { return std::string(organ.name); }, lastSeparator,
                      separator);
}
