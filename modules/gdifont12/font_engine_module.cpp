// The default font-engine module: FreeType outlines and coverage, with
// fonts found through fontconfig.
#include "freetype_engine.h"
#include "renderer/module_contract.h"

KAVRI_MODULE_VERSION(12, 0);

KAVRI_MODULE_ENTRY KT_Font_Engine_Data* KD_Font_Engine(KT_Renderer* renderer) {
    return new gdifont::FreeType_Engine(renderer ? *renderer : KT_Renderer());
}
