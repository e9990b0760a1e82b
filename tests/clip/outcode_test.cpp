// Outcodes of device points and the classifying transform.
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "../support/slot_recorder.h"
#include "draw3d/transform_clip.h"
#include "math/matrix.h"

using slots::clip_10_to_90;

namespace {

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();

TEST(Outcode, EachSideHasItsOwnBitAndCornersCombineTwo) {
    struct Case {
        KT_Point point;
        short code;
    };
    const Case cases[] = {
        {{5, 50, 0}, KT_Outcode_Left},
        {{95, 50, 0}, KT_Outcode_Right},
        {{50, 5, 0}, KT_Outcode_Bottom},
        {{50, 95, 0}, KT_Outcode_Top},
        {{50, 50, 0}, KT_Outcode_Inside},
        {{90, 50, 0}, KT_Outcode_Inside}, // on the right bound
        {{0, 0, 0}, KT_Outcode_Left | KT_Outcode_Bottom},
        {{100, 100, 0}, KT_Outcode_Right | KT_Outcode_Top},
    };
    for (const Case& c : cases) {
        short code = -1;
        KD_Clip(clip_10_to_90, 1, &c.point, &code);
        EXPECT_EQ(code, c.code) << "at " << c.point.x << ", " << c.point.y;
    }
}

TEST(Outcode, IntegerAndDoublePointsCompareLikeFloats) {
    const KT_DCI_Point integer_points[] = {{9, 50, 0}, {10, 50, 0}, {90, 91, 0}};
    const KT_Point_D double_points[] = {{9.5, 50, 0}, {10, 50, 0}, {90, 90.5, 0}};
    short integer_codes[3], double_codes[3];
    KD_Clip(clip_10_to_90, 3, integer_points, integer_codes);
    KD_Clip(clip_10_to_90, 3, double_points, double_codes);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(integer_codes[i], double_codes[i]);
    }
    EXPECT_EQ(integer_codes[0], KT_Outcode_Left);
    EXPECT_EQ(integer_codes[2], KT_Outcode_Top);
}

TEST(Outcode, NotANumberNeverCountsAsInside) {
    const KT_Point broken{nan_value, nan_value, 0};
    short code = 0;
    EXPECT_EQ(KD_Clip(clip_10_to_90, 1, &broken, &code), 0);
    EXPECT_NE(code, KT_Outcode_Inside);
}

TEST(ClipResult, CountsInsidePointsRejectsSharedSidesAndAsksForClipping) {
    const KT_Point all_left[] = {{0, 20, 0}, {1, 50, 0}, {5, 80, 0}};
    const KT_Point two_left_one_right[] = {{0, 20, 0}, {1, 50, 0}, {95, 80, 0}};
    const KT_Point one_inside[] = {{0, 20, 0}, {50, 50, 0}, {95, 80, 0}};
    const KT_Point all_inside[] = {{20, 20, 0}, {50, 50, 0}, {80, 80, 0}};
    short codes[3];
    EXPECT_EQ(KD_Clip(clip_10_to_90, 3, all_left, codes), 0);
    EXPECT_EQ(KD_Clip(clip_10_to_90, 3, two_left_one_right, codes), -1);
    EXPECT_EQ(KD_Clip(clip_10_to_90, 3, one_inside, codes), 1);
    EXPECT_EQ(KD_Clip(clip_10_to_90, 3, all_inside, codes), 3);
}

TEST(ClipResult, NoPointsOrNoArrayIsRejected) {
    const KT_Point p{50, 50, 0};
    short code;
    EXPECT_EQ(KD_Clip(clip_10_to_90, 0, &p, &code), 0);
    EXPECT_EQ(KD_Clip(clip_10_to_90, -3, &p, &code), 0);
    EXPECT_EQ(KD_Clip(clip_10_to_90, 1, static_cast<const KT_Point*>(nullptr), &code), 0);
}

// A rendition whose object-to-device matrix makes w = z + 1, so each
// point's w is chosen through its z, and whose near limit is 0.5.
class Transform_And_Clip : public slots::Routing_Test {
protected:
    static constexpr double near_limit = 0.5;

    Transform_And_Clip() {
        KT_Transform_Data& t = rendition.modify_transform();
        const double w_from_z[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 1}};
        KT_Matrix_Double matrix;
        matrix.set_as_4x4(w_from_z);
        t.object_to_device = matrix;
        t.scaled_wlimit = near_limit;
    }
};

TEST_F(Transform_And_Clip, DividesByWAndClassifies) {
    // w = 2 for each: device points are half the object points.
    const KT_Point in[] = {{100, 100, 1}, {40, 40, 1}, {400, 100, 1}};
    KT_Point out[3];
    float w[3];
    short codes[3], or_codes = 0;
    EXPECT_EQ(KD_Transform_And_Clip(&rendition, 3, in, out, w, codes, &or_codes), 2);
    EXPECT_FLOAT_EQ(out[0].x, 50.0f);
    EXPECT_FLOAT_EQ(w[0], 2.0f);
    EXPECT_EQ(codes[0], KT_Outcode_Inside);
    EXPECT_EQ(codes[1], KT_Outcode_Inside);
    EXPECT_EQ(codes[2], KT_Outcode_Right);
    EXPECT_EQ(or_codes, KT_Outcode_Right);
}

// Seeded random points, some behind the limit: the transform agrees with
// the full product and each code with a plain classification of it.
TEST_F(Transform_And_Clip, AgreesWithTheFullProductAndAPlainClassification) {
    std::mt19937 random(1206);
    std::uniform_real_distribution<double> coordinate(-300.0, 300.0);
    std::uniform_real_distribution<double> depth(-2.0, 3.0);
    constexpr int count = 1000;
    std::vector<KT_Point_D> in(count), out(count), reference(count);
    std::vector<float> w(count), reference_w(count);
    std::vector<short> codes(count);
    for (KT_Point_D& p : in)
        p = {coordinate(random), coordinate(random), depth(random)};
    KD_Transform_And_Clip(&rendition, count, in.data(), out.data(), w.data(), codes.data(),
                          nullptr);
    rendition.transform().object_to_device.transform_reference(
        count, in.data(), reference.data(), reference_w.data(), static_cast<float>(near_limit));
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(out[i].x, reference[i].x);
        EXPECT_DOUBLE_EQ(out[i].y, reference[i].y);
        EXPECT_FLOAT_EQ(w[i], reference_w[i]);
        short plain = KT_Outcode_Behind;
        if (reference_w[i] > static_cast<float>(near_limit)) {
            plain = 0;
            if (reference[i].x < clip_10_to_90.left) plain |= KT_Outcode_Left;
            if (reference[i].x > clip_10_to_90.right) plain |= KT_Outcode_Right;
            if (reference[i].y < clip_10_to_90.bottom) plain |= KT_Outcode_Bottom;
            if (reference[i].y > clip_10_to_90.top) plain |= KT_Outcode_Top;
        }
        EXPECT_EQ(codes[i], plain);
    }
}

TEST_F(Transform_And_Clip, WAtTheNearLimitIsBehindAndNothingElse) {
    // z = -0.5 gives w = 0.5, exactly the limit; x lies far outside too.
    const KT_Point_D at_limit{-1000, -1000, -0.5};
    KT_Point out;
    float w;
    short code = 0;
    EXPECT_EQ(KD_Transform_And_Clip(&rendition, 1, &at_limit, &out, &w, &code, nullptr), 0);
    EXPECT_EQ(code, KT_Outcode_Behind);
}

TEST_F(Transform_And_Clip, WithoutCodesAsksTheCallerToClip) {
    const KT_Point inside{50, 50, 0};
    KT_Point out;
    float w;
    short or_codes = 99;
    EXPECT_EQ(KD_Transform_And_Clip(&rendition, 1, &inside, &out, &w, nullptr, &or_codes), -1);
    EXPECT_EQ(or_codes, 99) << "no classification happened";
    EXPECT_FLOAT_EQ(w, 1.0f) << "the points are still transformed";
}

TEST_F(Transform_And_Clip, PointsBehindAndAroundNeedClipping) {
    const KT_Point in[] = {{50, 50, -0.9f}, {5, 50, 0}};
    KT_Point out[2];
    float w[2];
    short codes[2];
    EXPECT_EQ(KD_Transform_And_Clip(&rendition, 2, in, out, w, codes, nullptr), -1);
    EXPECT_EQ(codes[0], KT_Outcode_Behind);
    EXPECT_EQ(codes[1], KT_Outcode_Left);
}

TEST_F(Transform_And_Clip, NothingToTransformReturnsZero) {
    KT_Point out;
    float w;
    short code;
    const KT_Point in{1, 2, 3};
    EXPECT_EQ(KD_Transform_And_Clip(&rendition, 0, &in, &out, &w, &code, nullptr), 0);
    EXPECT_EQ(KD_Transform_And_Clip(nullptr, 1, &in, &out, &w, &code, nullptr), 0);
}

} // namespace
