#include "HvLXRegistryOps.h"

namespace hv {
namespace {
RegistryPlatformOps gOps;
}

const RegistryPlatformOps& RegistryOps() { return gOps; }

ScopedRegistryOps::ScopedRegistryOps(const RegistryPlatformOps& ops) : FSaved(gOps) { gOps = ops; }
ScopedRegistryOps::~ScopedRegistryOps() { gOps = FSaved; }

}  // namespace hv
