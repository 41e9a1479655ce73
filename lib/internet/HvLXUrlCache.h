// WinInet's cache of downloaded pages and files.
#pragma once

namespace hv {

// Deletes every entry of the current user's WinInet URL cache; an entry that cannot be deleted
// is passed over, and nothing is reported.
void ClearUrlCache() noexcept;

}  // namespace hv
