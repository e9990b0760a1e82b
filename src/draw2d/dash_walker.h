// Walks a dash pattern along the segments of a polyline. Dashes alternate
// drawn and skipped, starting with a drawn one; unless the pattern is
// fitted to each segment, the phase runs on across vertices.
#pragma once

#include <cmath>
#include <cstdint>

#include "foundation/export.h"

class KT_Rendition;
class KT_Renderer_Data;

// The dash table a rendition's line pattern selects, laid out as the
// built-in table: [0] pattern length, [1] count, the dashes, -1. Null for
// solid lines, shaped lines and numbers without a pattern.
KAVRI_API const std::int16_t* KD_Rendition_Dash_Table(const KT_Rendition& rendition);

// Pixels per pattern unit: the renderer's "Pattern Scale" option in
// percent times the line record's own scale.
KAVRI_API double KD_Rendition_Dash_Scale(const KT_Renderer_Data* renderer,
                                         const KT_Rendition& rendition);

class KAVRI_API KT_Dash_Walker {
public:
    // A table without dashes, with negative dashes or with no total length
    // (after scaling) cannot be walked: usable() is false.
    KT_Dash_Walker(const std::int16_t* table, double scale, bool fit_to_segments);

    bool usable() const { return count_ > 0; }

    // Walks one segment of the given length, calling
    // emit(from, to, drawn, dash_length) for each piece along it (distances
    // from the segment's start; dash_length is the whole dash's scaled
    // length). Pieces wholly outside [visible_from, visible_to] may be
    // skipped a whole period at a time, so a huge segment costs only what
    // is visible. Segments of length 0 or less leave the walk unchanged.
    template <class Emit>
    void walk(double length, double visible_from, double visible_to, Emit&& emit);
    template <class Emit> void walk(double length, Emit&& emit) { walk(length, 0.0, length, emit); }

    // The dash the walk is in, counted from the pattern's first.
    int current_dash() const { return current_; }

private:
    double scaled(int dash) const { return dashes_[dash] * segment_scale_; }
    void next_dash() {
        current_ = current_ + 1 == count_ ? 0 : current_ + 1;
        dash_end_ += scaled(current_);
    }
    void restart_fitted(double length);
    // Moves dash_end_ on by whole periods while it stays below limit.
    void skip_periods(double limit) {
        const double periods = std::floor((limit - dash_end_) / period_);
        if (periods > 0) dash_end_ += periods * period_;
    }

    const std::int16_t* dashes_ = nullptr;
    int count_ = 0;
    double pattern_length_ = 0; // units, as the table states it
    double dash_sum_ = 0;       // units, one period
    double scale_ = 0;          // pixels per unit
    double segment_scale_ = 0;  // scale_, or the fitted scale of this segment
    double period_ = 0;         // dash_sum_ * segment_scale_
    bool fit_ = false;
    int current_ = 0;
    double dash_end_ = 0; // distance along the segment where the current dash ends
};

template <class Emit>
void KT_Dash_Walker::walk(double length, double visible_from, double visible_to, Emit&& emit) {
    if (!usable() || !(length > 0) || !std::isfinite(length)) return;
    if (fit_) restart_fitted(length);
    if (dash_end_ < visible_from - period_) skip_periods(visible_from - period_);
    double from = dash_end_ - scaled(current_);
    if (from < 0) from = 0;
    while (dash_end_ <= length) {
        if (dash_end_ > from) emit(from, dash_end_, current_ % 2 == 0, scaled(current_));
        from = dash_end_;
        if (from > visible_to && length - dash_end_ > period_) {
            skip_periods(length - period_);
            from = dash_end_;
        }
        const double before = dash_end_;
        next_dash();
        // Far along a huge segment a dash can be shorter than the spacing of
        // representable distances; the rest is then one piece.
        if (!(dash_end_ > before)) break;
    }
    if (length > from) emit(from, length, current_ % 2 == 0, scaled(current_));
    dash_end_ -= length;
}
