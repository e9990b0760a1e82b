// Matrices and cameras from arbitrary numbers and chains of edits.
//
// Checked: an edit given a NaN or infinite argument leaves the matrix as it
// was; the per-classification point loops agree with the plain product for
// finite matrices and points; a camera's matrices can always be built and
// applied.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz_input.h"
#include "math/camera.h"
#include "math/matrix.h"

namespace {

template <class Real> bool finite(Real v) {
    return std::isfinite(v);
}

template <class Handle> bool all_elements_finite(const Handle& m) {
    bool result = true;
    m.visit([&](const auto& elements, std::uint32_t) {
        for (const auto& row : elements)
            for (const auto value : row)
                result = result && finite(value);
    });
    return result;
}

// The elements and classification, to see that a refused edit changed
// nothing.
struct Snapshot {
    double elements[4][4];
    std::uint32_t classification;

    template <class Handle> static Snapshot of(const Handle& m) {
        Snapshot s{};
        m.visit([&](const auto& elements, std::uint32_t classification) {
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    s.elements[i][j] = elements[i][j];
            s.classification = classification;
        });
        return s;
    }
    bool same_as(const Snapshot& other) const {
        return classification == other.classification &&
               std::memcmp(elements, other.elements, sizeof elements) == 0;
    }
};

template <class Real> bool any_bad(std::initializer_list<Real> values) {
    for (Real v : values)
        if (!finite(v)) return true;
    return false;
}

enum Edit : int {
    Scale,
    Uniform_Scale,
    Translate,
    Rotate_X,
    Rotate_Y,
    Rotate_Z,
    Rotate_Axis,
    Shear_X,
    Shear_Y,
    Shear_Z,
    Project,
    Change_Basis,
    Orthogonalize,
    Multiply,
    Edit_Count
};

// One edit with arguments from the input; true when an argument was NaN or
// infinite, so the matrix must not have changed.
bool apply_edit(KT_Matrix& m, Fuzz_Input& in, int depth);

KT_Matrix make_matrix(Fuzz_Input& in, int depth) {
    KT_Matrix m;
    if (in.take_bool()) m.convert_to_double();
    const int edits = in.take_int(0, 6);
    for (int i = 0; i < edits; ++i)
        apply_edit(m, in, depth + 1);
    return m;
}

bool apply_edit(KT_Matrix& m, Fuzz_Input& in, int depth) {
    const double a = in.take_coordinate<double>(), b = in.take_coordinate<double>(),
                 c = in.take_coordinate<double>();
    switch (in.take_int(0, Edit_Count - 1)) {
    case Scale:
        m.scale(a, b, c);
        return any_bad({a, b, c});
    case Uniform_Scale:
        m.uniform_scale(a);
        return any_bad({a});
    case Translate:
        m.translate(a, b, c);
        return any_bad({a, b, c});
    case Rotate_X:
        m.rotate_x(a);
        return any_bad({a});
    case Rotate_Y:
        m.rotate_y(a);
        return any_bad({a});
    case Rotate_Z:
        m.rotate_z(a);
        return any_bad({a});
    case Rotate_Axis: {
        const double angle = in.take_coordinate<double>();
        m.rotate(KT_Vector_D{a, b, c}, angle);
        return any_bad({a, b, c, angle});
    }
    case Shear_X:
        m.shear_x(a, b);
        return any_bad({a, b});
    case Shear_Y:
        m.shear_y(a, b);
        return any_bad({a, b});
    case Shear_Z:
        m.shear_z(a, b);
        return any_bad({a, b});
    case Project:
        m.project(a, b, c, in.take_bool());
        return any_bad({a, b, c});
    case Change_Basis: {
        const KT_Vector_D u{a, b, c},
            v{in.take_coordinate<double>(), in.take_coordinate<double>(),
              in.take_coordinate<double>()},
            w{in.take_coordinate<double>(), in.take_coordinate<double>(),
              in.take_coordinate<double>()};
        m.change_basis(u, v, w);
        return any_bad({u.x, u.y, u.z, v.x, v.y, v.z, w.x, w.y, w.z});
    }
    case Orthogonalize:
        m.orthogonalize();
        return false;
    case Multiply: {
        if (depth > 2) return false;
        const KT_Matrix other = make_matrix(in, depth);
        KT_Matrix product;
        m.multiply(other, product);
        m = product;
        return false;
    }
    default:
        return false;
    }
}

bool close(double fast, double reference) {
    if (fast == reference) return true; // infinities of one sign included
    if (std::isnan(fast) || std::isnan(reference)) return std::isnan(fast) == std::isnan(reference);
    const double scale = std::fmax(1.0, std::fmax(std::fabs(fast), std::fabs(reference)));
    return std::fabs(fast - reference) <= 1e-4 * scale;
}

// The per-class loops skip elements the classification says are identity;
// the plain product reads them all. Where both are well defined they must
// agree.
template <class In, class Out>
void check_points_against_reference(const KT_Matrix& m, const In (&points)[4], float wlimit) {
    Out fast[4], reference[4];
    float fast_w[4], reference_w[4];
    m.transform(4, points, fast, fast_w, wlimit);
    m.transform_reference(4, points, reference, reference_w, wlimit);
    for (int i = 0; i < 4; ++i) {
        if (!finite(reference[i].x) || !finite(reference[i].y) || !finite(reference[i].z)) continue;
        if (std::fabs(reference_w[i] - 1.0f) > 1e-6f || std::fabs(fast_w[i] - 1.0f) > 1e-6f) {
            FUZZ_CHECK(close(fast_w[i], reference_w[i]));
            continue; // projective results agree only up to the division
        }
        FUZZ_CHECK(close(fast[i].x, reference[i].x));
        FUZZ_CHECK(close(fast[i].y, reference[i].y));
        FUZZ_CHECK(close(fast[i].z, reference[i].z));
    }
}

void check_matrix(Fuzz_Input& in, const KT_Matrix& m) {
    KT_Point_D points[4];
    KT_Point points_f[4];
    bool points_finite = true;
    for (int i = 0; i < 4; ++i) {
        points[i] = {in.take_coordinate<double>(), in.take_coordinate<double>(),
                     in.take_coordinate<double>()};
        points_f[i] = {static_cast<float>(points[i].x), static_cast<float>(points[i].y),
                       static_cast<float>(points[i].z)};
        points_finite = points_finite && finite(points[i].x) && finite(points[i].y) &&
                        finite(points[i].z) && finite(points_f[i].x) && finite(points_f[i].y) &&
                        finite(points_f[i].z);
    }
    const float wlimit = in.take_bool() ? 0.0f : in.take_coordinate<float>();
    // Elements at the edge of the range overflow in either loop in their
    // own ways; only well-scaled matrices are compared.
    bool moderate = all_elements_finite(m);
    m.visit([&](const auto& elements, std::uint32_t) {
        for (const auto& row : elements)
            for (const auto value : row)
                moderate = moderate && std::fabs(double(value)) < 1e12;
    });
    if (points_finite && moderate && finite(wlimit)) {
        check_points_against_reference<KT_Point, KT_Point>(m, points_f, wlimit);
        check_points_against_reference<KT_Point_D, KT_Point_D>(m, points, wlimit);
        check_points_against_reference<KT_Point_D, KT_Point>(m, points, wlimit);
    }
    // Vectors, planes and the adjoint must cope with anything.
    const KT_Matrix adjoint = m.adjoint();
    KT_Vector_D normal;
    adjoint.transform(KT_Vector_D{points[0].x, points[0].y, points[0].z}, normal);
    KT_Plane_D plane;
    adjoint.transform(KT_Plane_D{points[1].x, points[1].y, points[1].z, points[2].x}, plane);
    (void)m.convert_to_adjoint();
    (void)m.single();
}

void fuzz_camera(Fuzz_Input& in) {
    KT_Camera camera;
    if (in.take_bool()) camera.allocate(KT_Precision::Double);
    const int edits = in.take_int(0, 8);
    for (int i = 0; i < edits; ++i) {
        const double a = in.take_coordinate<double>(), b = in.take_coordinate<double>(),
                     c = in.take_coordinate<double>();
        switch (in.take_int(0, 11)) {
        case 0:
            camera.set_position(KT_Point_D{a, b, c});
            break;
        case 1:
            camera.set_target(KT_Point_D{a, b, c});
            break;
        case 2:
            camera.set_up_vector(KT_Vector_D{a, b, c});
            break;
        case 3:
            camera.set_field(KT_Camera_Field_D{a, b});
            break;
        case 4:
            camera.set_obliquity(KT_Camera_Obliquity_D{a, b});
            break;
        case 5:
            camera.set_ortho_range(a);
            break;
        case 6:
            camera.set_projection(in.take_bool() ? KT_Camera_Projection::Orthographic
                                                 : KT_Camera_Projection::Perspective);
            break;
        case 7:
            camera.set_wlimit(static_cast<float>(a));
            break;
        case 8:
            camera.orbit(a, b);
            break;
        case 9:
            camera.pan(a, b);
            break;
        case 10:
            camera.roll(a);
            break;
        default:
            camera.zoom(a);
            break;
        }
    }
    const KT_Matrix viewing = camera.viewing_matrix();
    const KT_Matrix projection = camera.projection_matrix();
    KT_Matrix world_to_projection;
    viewing.multiply(projection, world_to_projection);
    check_matrix(in, world_to_projection);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Input in(data, size);
    if (in.take_bool()) {
        fuzz_camera(in);
        return 0;
    }
    KT_Matrix m;
    if (in.take_bool()) m.convert_to_double();
    const int edits = in.take_int(0, 12);
    for (int i = 0; i < edits; ++i) {
        const Snapshot snapshot = Snapshot::of(m);
        if (apply_edit(m, in, 0)) FUZZ_CHECK(Snapshot::of(m).same_as(snapshot));
    }
    check_matrix(in, m);
    return 0;
}
