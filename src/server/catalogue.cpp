#include "server/catalogue.h"
#include "frame/dispatch.h"
#include "textfile/TextFileFunctions.h"
#include "various/VariousFunctions.h"
#include "various/DateFunctions.h"
#include "web/ASPFunctions.h"
#include "system/Win32Functions.h"
#include "crypt/EncryptFunctions.h"
#include "media/MDIFunctions.h"
#include "dialogs/FormFunctions.h"
#include "settings/RegistryFunctions.h"
#include "tables/AdvDataAccess.h"
#include "bitmap/BitmapFunctions.h"

namespace zor {

#define ZOR_CLASS(name) {&__uuidof(::name), &__uuidof(::_##name), L## #name, &createObject<zor::name>}

const ClassEntry classCatalogue[] = {
    ZOR_CLASS(TextFileFunctions),
    ZOR_CLASS(VariousFunctions),
    ZOR_CLASS(ASPFunctions),
    ZOR_CLASS(Win32Functions),
    ZOR_CLASS(EncryptFunctions),
    ZOR_CLASS(MDIFunctions),
    ZOR_CLASS(FormFunctions),
    ZOR_CLASS(RegistryFunctions),
    ZOR_CLASS(DateFunctions),
    ZOR_CLASS(AdvDataAccess),
    ZOR_CLASS(BitmapFunctions),
};
const int classCount = sizeof(classCatalogue) / sizeof(classCatalogue[0]);

const ClassEntry* findClass(REFCLSID clsid) {
    for (const ClassEntry& c : classCatalogue)
        if (IsEqualCLSID(*c.clsid, clsid)) return &c;
    return nullptr;
}

} // namespace zor
