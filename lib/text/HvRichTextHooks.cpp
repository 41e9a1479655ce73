#include "HvRichTextHooks.h"

#include <atomic>

namespace hv {
namespace {

// Set as the user interface starts and ends; asking for them needs no lock.
std::atomic<TRichTextToPlainTextProc> gTextHelpersHook{nullptr};
std::atomic<TRichTextToPlainTextProc> gStringListHook{nullptr};

}  // namespace

void SetRichTextToPlainTextHook(TRichTextToPlainTextProc proc) { gTextHelpersHook = proc; }
TRichTextToPlainTextProc RichTextToPlainTextHook() { return gTextHelpersHook; }

void SetStringListRichTextToPlainTextHook(TRichTextToPlainTextProc proc) { gStringListHook = proc; }
TRichTextToPlainTextProc StringListRichTextToPlainTextHook() { return gStringListHook; }

}  // namespace hv
