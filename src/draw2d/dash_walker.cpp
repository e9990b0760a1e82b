#include "draw2d/dash_walker.h"

#include <algorithm>

#include "foundation/line_patterns.h"
#include "renderer/renderer_data.h"
#include "rendition/rendition.h"

namespace {

constexpr std::int16_t table_end = -1;
// A pattern whose period scales below a pixel cannot be shown; it is
// widened to one pixel so that a walk never takes more steps than pixels.
constexpr double shortest_period = 1.0;

} // namespace

const std::int16_t* KD_Rendition_Dash_Table(const KT_Rendition& rendition) {
    const KT_Line_Data& line = rendition.line();
    if (line.line_pattern == KT_Line_Own_Dashes)
        return line.dash_pattern ? line.dash_pattern->values : nullptr;
    return KD_Builtin_Line_Pattern(line.line_pattern);
}

double KD_Rendition_Dash_Scale(const KT_Renderer_Data* renderer, const KT_Rendition& rendition) {
    const double option = renderer ? renderer->current_renderer_options.pattern_scale() : 100.0;
    return option * 0.01 * rendition.line().pattern_scale;
}

KT_Dash_Walker::KT_Dash_Walker(const std::int16_t* table, double scale, bool fit_to_segments)
    : fit_(fit_to_segments) {
    if (!table || !std::isfinite(scale) || !(scale > 0)) return;
    const int count = table[1];
    double sum = 0;
    int dashes = 0;
    for (; dashes < count && table[2 + dashes] != table_end; ++dashes) {
        if (table[2 + dashes] < 0) return;
        sum += table[2 + dashes];
    }
    if (!(sum > 0)) return;
    count_ = dashes;
    dashes_ = table + 2;
    dash_sum_ = sum;
    pattern_length_ = table[0] > 0 ? table[0] : sum;
    scale_ = sum * scale < shortest_period ? shortest_period / sum : scale;
    segment_scale_ = scale_;
    period_ = dash_sum_ * segment_scale_;
    dash_end_ = scaled(0);
}

void KT_Dash_Walker::restart_fitted(double length) {
    const double repetitions = std::max(1.0, std::trunc(length / (pattern_length_ * scale_) + 0.5));
    segment_scale_ = length / (repetitions * pattern_length_);
    if (dash_sum_ * segment_scale_ < shortest_period) segment_scale_ = shortest_period / dash_sum_;
    period_ = dash_sum_ * segment_scale_;
    current_ = 0;
    // Every segment starts and ends in the middle of a drawn dash.
    dash_end_ = 0.5 * scaled(0);
}
