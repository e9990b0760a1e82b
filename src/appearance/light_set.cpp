#include "appearance/light_set.h"

KT_Light_Set_Data::KT_Light_Set_Data(const KT_Filter& filter) {
    add(filter);
}

void KT_Light_Set_Data::add(const KT_Filter& filter) {
    filters_.append(filter);
    ++count_;
}

KT_Light_Set::KT_Light_Set(const KT_Filter& filter)
    : KT_Pointer<KT_Light_Set_Data>(new KT_Light_Set_Data(filter)) {}

void KT_Light_Set::add(const KT_Filter& filter) {
    if (empty()) {
        attach(new KT_Light_Set_Data(filter));
        return;
    }
    modify()->add(filter);
}
