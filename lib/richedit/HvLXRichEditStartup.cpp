// The rich edit lends its conversion of rich text to the layers below the windows, through the
// application services, which install it while they run. Nothing calls into this object, so
// the link asks for it up front (lib/CMakeLists.txt).
#include "HvLXRichEdits.h"
#include "HvLXVclUtils.h"

extern "C" {
extern const bool HvRichEditInstalledAtStart;
const bool HvRichEditInstalledAtStart = (hv::InstallRichTextToPlainTextConverter(&hv::RichTextToPlainText), true);
}
