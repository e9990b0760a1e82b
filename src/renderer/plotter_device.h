// The interface of a device that plots in bands (printers, plotters). The
// library supplies the default bodies; a plotter module completes the
// class. Span rasterizers recognise it by run-time type query.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "renderer/device_data.h"

// A plotter's banding needs; plotter modules define values beyond 0.
enum BandReqEnum : std::int32_t {
    KT_Band_None = 0,
};

class KAVRI_API KT_Plotter_Device_Data : public KT_Device_Data {
public:
    explicit KT_Plotter_Device_Data(const KT_Renderer_Data* beneath) : KT_Device_Data(beneath) {}

    virtual bool get_plot_transparency() const { return plot_transparency; }
    virtual void set_plot_transparency(bool transparent) { plot_transparency = transparent; }
    virtual bool can_alpha_blend() const { return false; }
    // The band to draw next; false (nothing written) when there is none.
    virtual bool get_banding_rectangle(const KT_Int_Rectangle* page, KT_Int_Rectangle& band);
    virtual bool is_preplot_pass() const { return false; }
    virtual bool get_tessellate_text_to_triangles() const { return true; }
    virtual BandReqEnum get_banding_requirements(std::int32_t width, std::int32_t height,
                                                 KT_Int_Rectangle area);
    virtual void truetype_text_info(const KT_Int_Rectangle* bounds, const unsigned short* text,
                                    int count, const KT_Rendition* rendition);

    bool plot_transparency = false;

protected:
    KT_Plotter_Device_Data() = default;
};
