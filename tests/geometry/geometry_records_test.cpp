#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/complex_segment_set.h"
#include "geometry/render_buffer.h"
#include "geometry/text.h"

namespace {

const KT_Point square[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};

std::vector<int> connectivity_of(const KT_Vertex_Set_Data& set) {
    return {set.connectivity, set.connectivity + set.connectivity_length};
}

std::vector<int> natural_list(int point_count, int k) {
    std::vector<KT_Point> points(static_cast<std::size_t>(point_count), KT_Point{0, 0, 0});
    KT_Vertex_Set set(point_count, points.data(), true);
    set.edit_data()->set_natural_connectivity(k);
    return connectivity_of(*set.data());
}

// Counts its own destruction, to see when a record drops its cached data.
struct Counted_Cache : KT_Cached_Data {
    explicit Counted_Cache(int& destroyed) : destroyed_(destroyed) {}
    ~Counted_Cache() override { ++destroyed_; }
    int& destroyed_;
};

TEST(PointSet, NullArrayWithoutCopyIsAllocatedOwnedAndZeroed) {
    const int count = 3;
    KT_Point_Set set(count, static_cast<const KT_Point*>(nullptr), false);
    ASSERT_NE(set->points, nullptr);
    EXPECT_EQ(set->count, count);
    EXPECT_TRUE(set->ownership & KT_Owns_Points);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(set->points[i], (KT_Point{0, 0, 0})) << "point " << i;
}

TEST(PointSet, ReferencesWithoutCopyAndOwnsWithCopy) {
    KT_Point_Set referenced(4, square, false);
    KT_Point_Set copied(4, square, true);
    EXPECT_EQ(referenced->points, square);
    EXPECT_FALSE(referenced->ownership & KT_Owns_Points);
    EXPECT_NE(copied->points, square);
    EXPECT_TRUE(copied->ownership & KT_Owns_Points);
    EXPECT_EQ(copied->points[3], square[3]);
}

TEST(PointSet, DoublePrecisionLeavesTheSingleArrayEmpty) {
    const KT_Point_D far[2] = {{1e20, 0, 0}, {0, 1e20, 0}};
    KT_Point_Set set(2, far, true);
    EXPECT_TRUE(set->is_double());
    EXPECT_EQ(set->points, nullptr);
    EXPECT_EQ(set->points_d[0].x, 1e20);
}

TEST(PointSet, NegativeCountIsEmpty) {
    KT_Point_Set set(-5, square, true);
    EXPECT_EQ(set->count, 0);
}

TEST(VertexSet, WritingASharedRecordCopiesItAndLeavesTheOtherHolderAlone) {
    KT_Vertex_Set original(4, square, true);
    KT_Vertex_Set sharer = original;
    const KT_Vector up[4] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    sharer.edit_data()->set_vertex_normals(up, true);

    EXPECT_FALSE(sharer.shares_body_with(original));
    EXPECT_EQ(original.data()->vertex_normals, nullptr);
    ASSERT_NE(sharer.data()->vertex_normals, nullptr);
    // The copy owns its own points rather than pointing into the original's.
    EXPECT_NE(sharer->points, original->points);
    EXPECT_EQ(sharer->points[2], square[2]);
}

TEST(VertexSet, AttributeChangeDestroysCachedData) {
    int destroyed = 0;
    KT_Vertex_Set set(4, square, true);
    set.edit_data()->set_cached_data(new Counted_Cache(destroyed));
    const KT_RGB32 red[4] = {
        {0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}};
    set.edit_data()->set_vertex_colors(red, false);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(set->cached.get(), nullptr);
}

TEST(Connectivity, ZeroLengthMeasuresUpToTheFirstNegativeEntry) {
    const int list[] = {3, 0, 1, 2, -1, 7, 7};
    KT_Vertex_Set set(4, square, true);
    set.edit_data()->set_connectivity(0, list, false, true);
    EXPECT_EQ(set.data()->connectivity_length, 5);
    EXPECT_FALSE(set.data()->natural_connectivity);
    EXPECT_TRUE(set->ownership & KT_Owns_Connectivity);
}

TEST(Connectivity, PairsEndMeasuresUpToTwoConsecutiveNegativeEntries) {
    const int list[] = {0, 1, -3, 2, -1, -1, 7};
    KT_Vertex_Set set(4, square, true);
    set.edit_data()->set_connectivity(0, list, true, false);
    EXPECT_EQ(set.data()->connectivity_length, 6);
    EXPECT_EQ(set.data()->connectivity, list);
}

TEST(NaturalConnectivity, ListsForEachRunLength) {
    const struct {
        const char* name;
        int points, run_length;
        std::vector<int> expected;
    } cases[] = {
        {"a single point in runs of one", 1, 1, {0, -1, -1}},
        {"two points in pairs", 2, 2, {0, 1, -2, -1}},
        {"one point in pairs", 1, 2, {0, 0, -1, -1}},
        {"no run length: one run through all", 4, 0, {0, 1, 2, -4}},
        {"pairs joined pairwise", 5, 2, {0, 1, 2, 0, 3, 1, -5, -3}},
        {"a run one shorter than the set has no pairs", 4, 3, {0, 1, 2, -4, -1}},
        {"a run longer than the set leaves it empty", 3, 5, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(natural_list(c.points, c.run_length), c.expected);
    }
}

TEST(ColourValidation, RgbaBecomesTruncatedRgb32) {
    const KT_RGBA orange = {1.0f, 0.5f, 0.0f, 1.0f};
    KT_Vertex_Set set(1, square, true);
    set.edit_data()->set_vertex_colors(&orange, true);
    set.edit_data()->validate_vertex_rgb32(1);
    const KT_RGB32 packed = set.data()->vertex_rgb32[0];
    EXPECT_EQ(packed.a, 0xFF);
    EXPECT_EQ(packed.r, 0xFF);
    EXPECT_EQ(packed.g, 0x7F);
    EXPECT_EQ(packed.b, 0x00);
    EXPECT_TRUE(set->ownership & KT_Owns_Vertex_RGB32);
}

TEST(ColourValidation, Rgb32BecomesUnitRgba) {
    const KT_RGB32 white_half_alpha = {255, 255, 255, 51};
    KT_Segment_Set set(1, square, true);
    set.edit_data()->set_segment_colors(1, &white_half_alpha, true);
    set.edit_data()->validate_segment_rgba(1);
    EXPECT_FLOAT_EQ(set.data()->segment_rgba[0].red, 1.0f);
    EXPECT_FLOAT_EQ(set.data()->segment_rgba[0].alpha, 0.2f);
}

TEST(ColourValidation, NanAndOutOfRangeComponentsStayInAByte) {
    const KT_RGBA wild = {std::nanf(""), 7.0f, -3.0f, 1.0f};
    KT_Vertex_Set set(1, square, true);
    set.edit_data()->set_vertex_colors(&wild, true);
    set.edit_data()->validate_vertex_rgb32(1);
    EXPECT_EQ(set.data()->vertex_rgb32[0].r, 0);
    EXPECT_EQ(set.data()->vertex_rgb32[0].g, 255);
    EXPECT_EQ(set.data()->vertex_rgb32[0].b, 0);
}

TEST(SegmentNormals, LineNormalIsTheVertexNormalsMadePerpendicular) {
    const KT_Point ends[2] = {{0, 0, 0}, {1, 0, 0}};
    const KT_Vector tilted[2] = {{1, 1, 0}, {1, 1, 0}};
    KT_Segment_Set set(2, ends, true);
    set.edit_data()->set_vertex_normals(tilted, true);
    const KT_Vector* normals = set.edit_data()->generate_segment_normals(1);
    ASSERT_NE(normals, nullptr);
    EXPECT_FLOAT_EQ(normals[0].x, 0.0f);
    EXPECT_FLOAT_EQ(normals[0].y, 1.0f);
    EXPECT_FLOAT_EQ(normals[0].z, 0.0f);
}

TEST(SegmentNormals, StripTriangleNormalTurnsToTheVertexNormal) {
    const KT_Vector down[3] = {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}};
    KT_Segment_Set set(3, square, true);
    set.edit_data()->set_vertex_normals(down, true);
    set.edit_data()->set_connectivity(0, std::vector<int>{0, 1, ~2}.data(), false, true);
    const KT_Vector* normals = set.edit_data()->generate_segment_normals(2);
    ASSERT_NE(normals, nullptr);
    EXPECT_FLOAT_EQ(normals[0].z, -1.0f);
}

TEST(SegmentNormals, NoneWithoutVertexNormals) {
    KT_Segment_Set set(3, square, true);
    EXPECT_EQ(set.edit_data()->generate_segment_normals(2), nullptr);
}

TEST(ComplexSegmentSet, NaturalConnectivityIsOneRunOverEveryVertex) {
    KT_Complex_Segment_Set set(4, square, true);
    set.edit_data()->set_natural_connectivity();
    const KT_Complex_Segment_Set_Data& data = *set.data();
    EXPECT_EQ(connectivity_of(data), (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(data.run_count, 1);
    EXPECT_EQ(data.run_lengths[0], 4);
    EXPECT_TRUE(data.natural_connectivity);
    EXPECT_TRUE(data.natural_runs);
}

TEST(ComplexSegmentSet, FaceNormalOfAQuadInStripOrder) {
    KT_Shell quad(4, square, true);
    quad.edit_data()->set_natural_connectivity();
    const KT_Vector* normals = quad.edit_data()->generate_segment_normals(0);
    ASSERT_NE(normals, nullptr);
    EXPECT_FLOAT_EQ(normals[0].z, 1.0f);
}

TEST(ComplexSegmentSet, FaceWithAnIndexOutOfRangeGetsAZeroNormal) {
    const int lengths[2] = {3, 3};
    const int indices[6] = {0, 1, 2, 0, 1, 99};
    KT_Shell shell(4, square, true);
    shell.edit_data()->set_indices(2, lengths, indices, true);
    const KT_Vector* normals = shell.edit_data()->generate_segment_normals(0);
    EXPECT_FLOAT_EQ(normals[0].z, 1.0f);
    EXPECT_EQ(normals[1], (KT_Vector{0, 0, 0}));
}

TEST(ComplexSegmentSet, NewConnectivityDropsGeneratedFaceNormals) {
    KT_Shell shell(4, square, true);
    shell.edit_data()->set_natural_connectivity();
    shell.edit_data()->generate_segment_normals(0);
    const int lengths[2] = {3, 3};
    const int indices[6] = {0, 1, 2, 2, 1, 3};
    shell.edit_data()->set_indices(2, lengths, indices, true);
    EXPECT_EQ(shell.data()->generated_segment_normals, nullptr);
    shell.edit_data()->generate_segment_normals(0);
    EXPECT_EQ(shell.data()->generated_normal_count, 2);
}

TEST(ComplexSegmentSet, RunPastTheRunsAnIndexArrayWasSetForSelectsNothing) {
    const KT_Material materials[1] = {KT_Basic_Material()};
    const int one_run[1] = {4};
    const int first_material[1] = {0};
    const int indices[4] = {0, 1, 2, 3};
    KT_Shell shell(4, square, true);
    KT_Complex_Segment_Set_Data* d = shell.edit_data();
    d->set_indices(1, one_run, indices, true);
    d->set_materials(1, materials, true);
    d->set_material_indices(first_material, true);
    const int three_runs[3] = {2, 1, 1};
    d->set_indices(3, three_runs, indices, true);
    EXPECT_EQ(d->material_of(0), 0);
    EXPECT_EQ(d->material_of(2), -1);
}

TEST(ComplexSegmentSet, CopiedMaterialsHoldTheirOwnReferences) {
    KT_Basic_Material material;
    const KT_Material materials[1] = {material};
    const std::uint32_t before = material->reference_count();
    {
        KT_Shell shell(4, square, true);
        shell.edit_data()->set_materials(1, materials, true);
        EXPECT_EQ(material->reference_count(), before + 1);
    }
    EXPECT_EQ(material->reference_count(), before);
}

TEST(ComplexSegmentSet, SelectRefusesIndicesOutsideTheAttributes) {
    const int indices[3] = {2, -1, 5};
    const int available = 3;
    EXPECT_EQ(KT_Complex_Segment_Set_Data::select(indices, 0, available), 2);
    EXPECT_EQ(KT_Complex_Segment_Set_Data::select(indices, 1, available), -1);
    EXPECT_EQ(KT_Complex_Segment_Set_Data::select(indices, 2, available), -1);
    EXPECT_EQ(KT_Complex_Segment_Set_Data::select(nullptr, 1, available), 1);
}

TEST(Text, CopiedStringKeepsItsLengthAndGetsATerminatingZero) {
    const KT_Point anchor = {1, 2, 3};
    KT_Text text(&anchor, "abcdef", 3, true);
    EXPECT_STREQ(text->text, "abc");
    EXPECT_EQ(text->length, 3);
    EXPECT_EQ(text->ownership, KT_Owns_Position | KT_Owns_Characters);
    EXPECT_NE(text->position, &anchor);
}

TEST(Text, ReferencedWideStringIsTheCallersOwn) {
    const KT_Point_D anchor = {1, 2, 3};
    const wchar_t* words = L"wide";
    KT_Text text(&anchor, words, -1, false);
    EXPECT_EQ(text->wide_text, words);
    EXPECT_EQ(text->length, 4);
    EXPECT_EQ(text->ownership, 0u);
}

TEST(Text, CopyOnWriteDuplicatesOwnedCharacters) {
    const KT_Point anchor = {0, 0, 0};
    KT_Text text(&anchor, L"xyz", 3, true);
    KT_Text_Data* duplicate = static_cast<KT_Text_Data*>(text->copy());
    EXPECT_NE(duplicate->wide_text, text->wide_text);
    EXPECT_STREQ(duplicate->wide_text, L"xyz");
    delete duplicate;
}

TEST(RenderBuffer, CopyLeavesTheCachedDataWithTheOriginal) {
    int destroyed = 0;
    KT_RenderBuffer_Data buffer;
    buffer.words.value[2] = 7;
    buffer.set_cached_data(new Counted_Cache(destroyed));
    KT_RenderBuffer_Data* duplicate = static_cast<KT_RenderBuffer_Data*>(buffer.copy());
    EXPECT_EQ(duplicate->words.value[2], 7);
    EXPECT_EQ(duplicate->flag, 1);
    EXPECT_EQ(duplicate->cached.get(), nullptr);
    delete duplicate;
    EXPECT_EQ(destroyed, 0);
}

} // namespace
