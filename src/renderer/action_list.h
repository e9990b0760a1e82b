// The 118 drawing actions, in slot order, each with its arguments after the
// renderer that the slot hands it. Everything about the action table (slot
// numbers, routine types, call helpers, the standard table) is generated
// from this one list, so a slot is added or changed here and nowhere else.
//
// KAVRI_ACTIONS(X) calls X(name, kind, (arguments)) once per slot. kind
// tells what the standard table holds for the slot:
//   Standard   KD_Standard_<name>
//   Nothing    the routine that does nothing
//   Untouched  whatever the slot held before (the routine that does nothing
//              in a fresh renderer); there is no standard routine
//   Uninstalled  as Untouched, though KD_Standard_<name> exists for modules
//              to install
//   Frame      KD_Standard_<name>, only when frame-buffer slots are filled
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"
#include "image/pixel_format.h"

// Marked so that every instantiation over a slot's signature, such as the
// routine that does nothing, is exported alike whether or not a translation
// unit has seen these types' definitions. Where a definition came first the
// mark repeats it, which compilers report as an ignored attribute.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
class KAVRI_API KT_Renderer_Data;
class KAVRI_API KT_Rendition;
class KAVRI_API KT_Shared_Image;
struct KAVRI_API KT_Vector;
class KAVRI_API KT_Shell;
class KAVRI_API KT_Lattice;
class KAVRI_API KT_Tristrip;
class KAVRI_API KT_Linestrip;
class KAVRI_API KT_Markerstrip;
class KAVRI_API KT_Polytriangle;
class KAVRI_API KT_Polyline;
class KAVRI_API KT_Polymarker;
class KAVRI_API KT_Polygon;
class KAVRI_API KT_Text;
#pragma GCC diagnostic pop

// Argument lists shared by the families of slots; P is the family's point.
#define KAVRI_ARGS_PLAIN(P) (const KT_Rendition*, int, const P*)
#define KAVRI_ARGS_COLORIZED(P) (const KT_Rendition*, int, const P*, const KT_RGB32*, bool)
#define KAVRI_ARGS_GOURAUD(P) (const KT_Rendition*, int, const P*, const KT_RGB32*)
#define KAVRI_ARGS_PHONG(P)                                                                        \
    (const KT_Rendition*, int, const P*, const KT_Vector*, const KT_RGB32*, const KT_Point*,       \
     const float*)
#define KAVRI_ARGS_TEXTURED(P)                                                                     \
    (const KT_Rendition*, int, const P*, const KT_RGB32*, const KT_Parameter*, int, const float*,  \
     const KT_Vector*)
#define KAVRI_ARGS_POLYGON(P) (const KT_Rendition*, int, const P*, const KT_RGB32*)
#define KAVRI_ARGS_ELLIPSE(P)                                                                      \
    (const KT_Rendition*, const P*, const P*, double, double, double, const KT_RGB32*)
#define KAVRI_ARGS_DOT(P) (const KT_Rendition*, const P*, const KT_RGB32*)
#define KAVRI_ARGS_IMAGE(P) (const KT_Rendition*, const P*, const KT_Shared_Image*)
#define KAVRI_ARGS_TEXT(P, C) (const KT_Rendition*, const P*, const C*, int)
#define KAVRI_ARGS_RGB32(P)                                                                        \
    (const KT_Rendition*, const P*, const P*, int, const KT_RGB32*, int, const KT_Packing*)
#define KAVRI_ARGS_CMYK32(P) (const KT_Rendition*, const P*, const P*, int, const KT_CMYK32*, int)
#define KAVRI_ARGS_INDEX8(P) (const KT_Rendition*, const P*, const P*, int, const unsigned char*)
#define KAVRI_ARGS_GRAY8(P)                                                                        \
    (const KT_Rendition*, const P*, const P*, int, const unsigned char*, int)
#define KAVRI_ARGS_BITONAL(P)                                                                      \
    (const KT_Rendition*, const P*, const P*, int, const unsigned char*, const KT_Bitonal_Format*)
#define KAVRI_ARGS_DEPTH16(P) (const KT_Rendition*, const P*, const P*, int, const unsigned short*)
#define KAVRI_ARGS_DEPTH32(P) (const KT_Rendition*, const P*, const P*, int, const std::uint32_t*)
#define KAVRI_ARGS_READ(P)                                                                         \
    (const KT_Rendition*, const P*, const P*, const KT_Image_Format*, KT_Shared_Image*)

// clang-format off
#define KAVRI_ACTIONS(X)                                                                                    \
    X(Draw_3D_Shell,                   Standard,  (const KT_Rendition*, const KT_Shell*))                   \
    X(Draw_3D_Lattice,                 Standard,  (const KT_Rendition*, const KT_Lattice*))                 \
    X(Draw_3D_Tristrip,                Standard,  (const KT_Rendition*, const KT_Tristrip*))                \
    X(Draw_3D_Linestrip,               Standard,  (const KT_Rendition*, const KT_Linestrip*))               \
    X(Draw_3D_Markerstrip,             Standard,  (const KT_Rendition*, const KT_Markerstrip*))             \
    X(Draw_3D_Polytriangle,            Standard,  (const KT_Rendition*, const KT_Polytriangle*))            \
    X(Draw_3D_Polyline,                Standard,  (const KT_Rendition*, const KT_Polyline*))                \
    X(Draw_3D_Polymarker,              Standard,  (const KT_Rendition*, const KT_Polymarker*))              \
    X(Draw_3D_Polygon,                 Standard,  (const KT_Rendition*, const KT_Polygon*))                 \
    X(Draw_3D_Text,                    Standard,  (const KT_Rendition*, const KT_Text*))                    \
    X(Draw_2D_Polytriangle,            Standard,  KAVRI_ARGS_PLAIN(KT_Point))                               \
    X(Draw_DC_Polytriangle,            Standard,  KAVRI_ARGS_PLAIN(KT_Point))                               \
    X(Draw_2DI_Polytriangle,           Standard,  KAVRI_ARGS_PLAIN(KT_DCI_Point))                           \
    X(Draw_DCI_Polytriangle,           Standard,  KAVRI_ARGS_PLAIN(KT_DCI_Point))                           \
    X(Draw_2DD_Polytriangle,           Standard,  KAVRI_ARGS_PLAIN(KT_Point_D))                             \
    X(Draw_2D_Colorized_Polytriangle,  Standard,  KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Draw_DC_Colorized_Polytriangle,  Standard,  KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Draw_2DI_Colorized_Polytriangle, Standard,  KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Draw_DCI_Colorized_Polytriangle, Standard,  KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Draw_2DD_Colorized_Polytriangle, Standard,  KAVRI_ARGS_COLORIZED(KT_Point_D))                         \
    X(Draw_2D_Gouraud_Polytriangle,    Standard,  KAVRI_ARGS_GOURAUD(KT_Point))                             \
    X(Draw_DC_Gouraud_Polytriangle,    Standard,  KAVRI_ARGS_GOURAUD(KT_Point))                             \
    X(Draw_2DI_Gouraud_Polytriangle,   Standard,  KAVRI_ARGS_GOURAUD(KT_DCI_Point))                         \
    X(Draw_DCI_Gouraud_Polytriangle,   Standard,  KAVRI_ARGS_GOURAUD(KT_DCI_Point))                         \
    X(Draw_2DD_Gouraud_Polytriangle,   Standard,  KAVRI_ARGS_GOURAUD(KT_Point_D))                           \
    X(Draw_2D_Phong_Polytriangle,      Standard,  KAVRI_ARGS_PHONG(KT_Point))                               \
    X(Draw_DC_Phong_Polytriangle,      Standard,  KAVRI_ARGS_PHONG(KT_Point))                               \
    X(Draw_2DI_Phong_Polytriangle,     Standard,  KAVRI_ARGS_PHONG(KT_DCI_Point))                           \
    X(Draw_DCI_Phong_Polytriangle,     Standard,  KAVRI_ARGS_PHONG(KT_DCI_Point))                           \
    X(Draw_2DD_Phong_Polytriangle,     Standard,  KAVRI_ARGS_PHONG(KT_Point_D))                             \
    X(Draw_2D_Textured_Polytriangle,   Standard,  KAVRI_ARGS_TEXTURED(KT_Point))                            \
    X(Draw_DC_Textured_Polytriangle,   Standard,  KAVRI_ARGS_TEXTURED(KT_Point))                            \
    X(Draw_2DI_Textured_Polytriangle,  Standard,  KAVRI_ARGS_TEXTURED(KT_DCI_Point))                        \
    X(Draw_DCI_Textured_Polytriangle,  Standard,  KAVRI_ARGS_TEXTURED(KT_DCI_Point))                        \
    X(Draw_2DD_Textured_Polytriangle,  Standard,  KAVRI_ARGS_TEXTURED(KT_Point_D))                          \
    X(Draw_2D_Polyline,                Standard,  KAVRI_ARGS_PLAIN(KT_Point))                               \
    X(Draw_DC_Polyline,                Standard,  KAVRI_ARGS_PLAIN(KT_Point))                               \
    X(Draw_2DI_Polyline,               Standard,  KAVRI_ARGS_PLAIN(KT_DCI_Point))                           \
    X(Draw_DCI_Polyline,               Standard,  KAVRI_ARGS_PLAIN(KT_DCI_Point))                           \
    X(Draw_2DD_Polyline,               Standard,  KAVRI_ARGS_PLAIN(KT_Point_D))                             \
    X(Draw_2D_Colorized_Polyline,      Standard,  KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Draw_DC_Colorized_Polyline,      Standard,  KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Draw_2DI_Colorized_Polyline,     Standard,  KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Draw_DCI_Colorized_Polyline,     Standard,  KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Draw_2DD_Colorized_Polyline,     Standard,  KAVRI_ARGS_COLORIZED(KT_Point_D))                         \
    X(Draw_2D_Gouraud_Polyline,        Standard,  KAVRI_ARGS_GOURAUD(KT_Point))                             \
    X(Draw_DC_Gouraud_Polyline,        Standard,  KAVRI_ARGS_GOURAUD(KT_Point))                             \
    X(Draw_2DI_Gouraud_Polyline,       Standard,  KAVRI_ARGS_GOURAUD(KT_DCI_Point))                         \
    X(Draw_DCI_Gouraud_Polyline,       Standard,  KAVRI_ARGS_GOURAUD(KT_DCI_Point))                         \
    X(Draw_2DD_Gouraud_Polyline,       Standard,  KAVRI_ARGS_GOURAUD(KT_Point_D))                           \
    X(Draw_2D_Phong_Polyline,          Standard,  KAVRI_ARGS_PHONG(KT_Point))                               \
    X(Draw_DC_Phong_Polyline,          Standard,  KAVRI_ARGS_PHONG(KT_Point))                               \
    X(Draw_2DI_Phong_Polyline,         Standard,  KAVRI_ARGS_PHONG(KT_DCI_Point))                           \
    X(Draw_DCI_Phong_Polyline,         Standard,  KAVRI_ARGS_PHONG(KT_DCI_Point))                           \
    X(Draw_2DD_Phong_Polyline,         Standard,  KAVRI_ARGS_PHONG(KT_Point_D))                             \
    X(Draw_2D_Textured_Polyline,       Nothing,   KAVRI_ARGS_TEXTURED(KT_Point))                            \
    X(Draw_DC_Textured_Polyline,       Nothing,   KAVRI_ARGS_TEXTURED(KT_Point))                            \
    X(Draw_2DI_Textured_Polyline,      Nothing,   KAVRI_ARGS_TEXTURED(KT_DCI_Point))                        \
    X(Draw_DCI_Textured_Polyline,      Nothing,   KAVRI_ARGS_TEXTURED(KT_DCI_Point))                        \
    X(Draw_2DD_Textured_Polyline,      Nothing,   KAVRI_ARGS_TEXTURED(KT_Point_D))                          \
    X(Draw_2D_Polymarker,              Standard,  KAVRI_ARGS_PLAIN(KT_Point))                               \
    X(Draw_DC_Polymarker,              Standard,  KAVRI_ARGS_PLAIN(KT_Point))                               \
    X(Draw_2DI_Polymarker,             Standard,  KAVRI_ARGS_PLAIN(KT_DCI_Point))                           \
    X(Draw_DCI_Polymarker,             Standard,  KAVRI_ARGS_PLAIN(KT_DCI_Point))                           \
    X(Draw_2D_Colorized_Polymarker,    Standard,  KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Draw_DC_Colorized_Polymarker,    Standard,  KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Draw_2DI_Colorized_Polymarker,   Standard,  KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Draw_DCI_Colorized_Polymarker,   Standard,  KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Reserved_2D_Polymarker,          Nothing,   KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Reserved_DC_Polymarker,          Nothing,   KAVRI_ARGS_COLORIZED(KT_Point))                           \
    X(Reserved_2DI_Polymarker,         Nothing,   KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Reserved_DCI_Polymarker,         Nothing,   KAVRI_ARGS_COLORIZED(KT_DCI_Point))                       \
    X(Draw_2D_Polygon,                 Standard,  KAVRI_ARGS_POLYGON(KT_Point))                             \
    X(Draw_DC_Polygon,                 Standard,  KAVRI_ARGS_POLYGON(KT_Point))                             \
    X(Draw_2DI_Polygon,                Standard,  KAVRI_ARGS_POLYGON(KT_DCI_Point))                         \
    X(Draw_DCI_Polygon,                Standard,  KAVRI_ARGS_POLYGON(KT_DCI_Point))                         \
    X(Draw_2D_Ellipse,                 Standard,  KAVRI_ARGS_ELLIPSE(KT_Point))                             \
    X(Draw_DC_Ellipse,                 Standard,  KAVRI_ARGS_ELLIPSE(KT_Point))                             \
    X(Draw_2DI_Ellipse,                Standard,  KAVRI_ARGS_ELLIPSE(KT_DCI_Point))                         \
    X(Draw_DCI_Ellipse,                Standard,  KAVRI_ARGS_ELLIPSE(KT_DCI_Point))                         \
    X(Draw_2D_Elliptical_Arc,          Standard,  KAVRI_ARGS_ELLIPSE(KT_Point))                             \
    X(Draw_DC_Elliptical_Arc,          Standard,  KAVRI_ARGS_ELLIPSE(KT_Point))                             \
    X(Draw_2DI_Elliptical_Arc,         Standard,  KAVRI_ARGS_ELLIPSE(KT_DCI_Point))                         \
    X(Draw_DCI_Elliptical_Arc,         Standard,  KAVRI_ARGS_ELLIPSE(KT_DCI_Point))                         \
    X(Draw_2D_Dot,                     Standard,  KAVRI_ARGS_DOT(KT_Point))                                 \
    X(Draw_DC_Dot,                     Standard,  KAVRI_ARGS_DOT(KT_Point))                                 \
    X(Draw_2DI_Dot,                    Standard,  KAVRI_ARGS_DOT(KT_DCI_Point))                             \
    X(Draw_DCI_Dot,                    Standard,  KAVRI_ARGS_DOT(KT_DCI_Point))                             \
    X(Draw_2D_Image,                   Standard,  KAVRI_ARGS_IMAGE(KT_Point))                               \
    X(Draw_DC_Image,                   Standard,  KAVRI_ARGS_IMAGE(KT_Point))                               \
    X(Draw_2DI_Image,                  Standard,  KAVRI_ARGS_IMAGE(KT_DCI_Point))                           \
    X(Draw_DCI_Image,                  Standard,  KAVRI_ARGS_IMAGE(KT_DCI_Point))                           \
    X(Draw_2D_Text,                    Standard,  KAVRI_ARGS_TEXT(KT_Point, char))                          \
    X(Draw_2D_Text_Wide,               Standard,  KAVRI_ARGS_TEXT(KT_Point, wchar_t))                       \
    X(Draw_2DI_Text,                   Standard,  KAVRI_ARGS_TEXT(KT_DCI_Point, char))                      \
    X(Draw_2DI_Text_Wide,              Standard,  KAVRI_ARGS_TEXT(KT_DCI_Point, wchar_t))                   \
    X(Draw_DC_RGB32_Image,             Standard,  KAVRI_ARGS_RGB32(KT_Point))                               \
    X(Draw_DCI_RGB32_Image,            Standard,  KAVRI_ARGS_RGB32(KT_DCI_Point))                           \
    X(Draw_DC_CMYK32_Image,            Standard,  KAVRI_ARGS_CMYK32(KT_Point))                              \
    X(Draw_DCI_CMYK32_Image,           Standard,  KAVRI_ARGS_CMYK32(KT_DCI_Point))                          \
    X(Draw_DC_Index8_Image,            Standard,  KAVRI_ARGS_INDEX8(KT_Point))                              \
    X(Draw_DCI_Index8_Image,           Standard,  KAVRI_ARGS_INDEX8(KT_DCI_Point))                          \
    X(Draw_DC_Gray8_Image,             Standard,  KAVRI_ARGS_GRAY8(KT_Point))                               \
    X(Draw_DCI_Gray8_Image,            Standard,  KAVRI_ARGS_GRAY8(KT_DCI_Point))                           \
    X(Draw_DC_Bitonal_Image,           Standard,  KAVRI_ARGS_BITONAL(KT_Point))                             \
    X(Draw_DCI_Bitonal_Image,          Standard,  KAVRI_ARGS_BITONAL(KT_DCI_Point))                         \
    X(Draw_DC_Depth16_Image,           Standard,  KAVRI_ARGS_DEPTH16(KT_Point))                             \
    X(Draw_DCI_Depth16_Image,          Untouched, KAVRI_ARGS_DEPTH16(KT_DCI_Point))                         \
    X(Draw_DC_Depth32_Image,           Standard,  KAVRI_ARGS_DEPTH32(KT_Point))                             \
    X(Draw_DCI_Depth32_Image,          Untouched, KAVRI_ARGS_DEPTH32(KT_DCI_Point))                         \
    X(Read_DC_Color_Image,             Standard,  KAVRI_ARGS_READ(KT_Point))                                \
    X(Read_DCI_Color_Image,            Uninstalled, KAVRI_ARGS_READ(KT_DCI_Point))                         \
    X(Read_DC_Depth_Image,             Standard,  KAVRI_ARGS_READ(KT_Point))                                \
    X(Read_DCI_Depth_Image,            Uninstalled, KAVRI_ARGS_READ(KT_DCI_Point))                         \
    X(Clear_Drawing_Buffer,            Standard,  (const KT_Rendition*))                                    \
    X(Clear_Z_Buffer,                  Standard,  (const KT_Rendition*))                                    \
    X(Create_Frame_Buffer,             Frame,     (int, int, const KT_Image_Format*, KT_Shared_Image*))     \
    X(Display_Frame_Buffer,            Frame,     (const KT_DCI_Point*, const KT_DCI_Point*,                \
                                                   const KT_Shared_Image*, int, int))
// clang-format on
