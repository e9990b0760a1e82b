// Exact sweep order of crossing points, which the sweep never rounds: a
// crossing of a-b with c-d lies at a + t (b - a) with t a ratio of two
// determinants, so comparing two places is the sign of a polynomial in the
// end points' coordinates. A double evaluation with an error bound decides
// nearly always; ties and near ties are summed exactly.
#pragma once

namespace kavri_contour {

struct XY {
    double u;
    double v;
};

// A point (when crossing is false, only a is used) or the crossing of the
// lines a-b and c-d, which must not be parallel.
struct Place {
    XY a, b, c, d;
    bool crossing;
};

// A place with its v as a fraction evaluated in doubles, with a bound on
// the magnitudes it was made from, so that most comparisons are a few
// multiplications.
struct Place_Key {
    Place place;
    double nv, d, nv_size, d_size;
    bool filtered; // coordinates in a range where the double fraction is trusted
};

Place_Key make_place_key(const Place& p);

// -1, 0 or +1 as x comes before, with or after y in sweep order (by v,
// then u).
int compare_places(const Place_Key& x, const Place_Key& y);

} // namespace kavri_contour
