#include "appearance/background.h"

KT_Solid_Background::KT_Solid_Background(KT_RGB32 colour)
    : KT_Background(new KT_Solid_Background_Data) {
    edit<KT_Solid_Background_Data>()->set_colour(colour);
}

KT_Gradient_Background::KT_Gradient_Background() : KT_Background(new KT_Gradient_Background_Data) {}

KT_Gradient_Background::KT_Gradient_Background(const KT_RGB& top, const KT_RGB& bottom)
    : KT_Gradient_Background() {
    set_colours(top, bottom);
}

KT_Image_Background::KT_Image_Background(const KT_Shared_Image& image)
    : KT_Background(new KT_Image_Background_Data(image)) {}

KT_Groundplane_Background::KT_Groundplane_Background()
    : KT_Background(new KT_Groundplane_Background_Data) {}

KT_Skybox_Background::KT_Skybox_Background() : KT_Background(new KT_Skybox_Background_Data) {}
