// File security in tests: what a file's or folder's security says, and a stand-in for a disk
// that keeps access lists (Wine 8 keeps none: it answers one made from the host's mode bits).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "HvLXAdminFolders.h"

namespace hvtest {

struct AccessSeen {
  bool read = false;                        // the access list could be read (and there is one)
  bool protectedList = false;               // it inherits nothing from the folder above
  bool ownedByAdministrators = false;       // the owner is the administrators or the system
  bool onlyAdministratorsAndSystem = true;  // every entry that grants anything is theirs
  int entries = 0;
};

// Read through the file layer's security calls (the kept one while a SecurityKeepingDisk lives).
AccessSeen AccessOf(const std::wstring& path);

// While it lives, the security set on a file or folder is kept and answered for it, as a
// Windows disk does; files nothing was set on answer what Wine makes up.
class SecurityKeepingDisk {
 public:
  SecurityKeepingDisk();
  ~SecurityKeepingDisk();
  SecurityKeepingDisk(const SecurityKeepingDisk&) = delete;
  SecurityKeepingDisk& operator=(const SecurityKeepingDisk&) = delete;

 private:
  std::map<std::tuple<unsigned long, unsigned long, unsigned long>, std::vector<unsigned char>> FKept;
  std::unique_ptr<hv::ScopedFileSecurityOps> FScope;
};

}  // namespace hvtest
