#include "app/cGatherixPrefs.h"

namespace {
TGatherixPrefs DefaultPrefs;
TGatherixPrefs* CurrentPrefs = &DefaultPrefs;
}  // namespace

TGatherixPrefs& Prefs() { return *CurrentPrefs; }

void SetPrefs(TGatherixPrefs* prefs) { CurrentPrefs = prefs ? prefs : &DefaultPrefs; }
