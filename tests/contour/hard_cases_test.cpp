// The hand-made hard cases of hard_cases.txt, in both precisions.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "region_check.h"

namespace {

using namespace contour_test;

struct Hard_Case {
    std::string name;
    KT_Contour_Fill_Rule rule = KT_Fill_Odd_Even;
    Outline outline;
    double area = 0;
    int pieces = 0;
    std::vector<std::pair<KT_Point_D, bool>> probes; // point, inside
};

std::vector<Hard_Case> read_cases() {
    std::ifstream in(std::string(KAVRI_TEST_SOURCE_DIR) + "/hard_cases.txt");
    std::vector<Hard_Case> cases;
    Hard_Case current;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "case") {
            current = Hard_Case{};
            std::getline(words >> std::ws, current.name);
        } else if (key == "rule") {
            std::string rule;
            words >> rule;
            if (rule != "non-zero" && rule != "odd-even")
                ADD_FAILURE() << current.name << ": unknown fill rule " << rule;
            current.rule = rule == "non-zero" ? KT_Fill_Non_Zero : KT_Fill_Odd_Even;
        } else if (key == "contour") {
            std::vector<KT_Point_D> contour;
            double x, y;
            while (words >> x >> y)
                contour.push_back(KT_Point_D{x, y, 0});
            current.outline.add(contour);
        } else if (key == "area") {
            words >> current.area;
        } else if (key == "pieces") {
            words >> current.pieces;
        } else if (key == "inside" || key == "outside") {
            double x, y;
            words >> x >> y;
            current.probes.push_back({KT_Point_D{x, y, 0}, key == "inside"});
        } else if (key == "end") {
            cases.push_back(current);
        }
    }
    return cases;
}

template <class P> class HardCases : public ::testing::Test {};
using Precisions = ::testing::Types<KT_Point, KT_Point_D>;
TYPED_TEST_SUITE(HardCases, Precisions);

TYPED_TEST(HardCases, AreaAndPiecesMatchTheFixture) {
    using P = TypeParam;
    const std::vector<Hard_Case> cases = read_cases();
    ASSERT_GE(cases.size(), 18u);
    for (const Hard_Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<P> points;
        KT_Contour_Set set = make_set(c.outline, points, c.rule);
        for (const auto& [at, inside] : c.probes)
            EXPECT_EQ(set->point_inside(narrow<P>(at)), inside) << at.x << ", " << at.y;
        const double tolerance = 1e-5 * c.area;
        EXPECT_NEAR(triangle_area<P>(*set), c.area, tolerance);
        double polygon_sum = 0;
        for (const auto& poly : polygons_of<P>(*set, 0))
            polygon_sum += polygon_area(poly);
        EXPECT_NEAR(polygon_sum, c.area, tolerance);
        double extent = 0;
        for (const KT_Point_D& p : c.outline.points)
            extent = std::fmax(extent, std::fmax(std::fabs(p.x), std::fabs(p.y)));
        KT_Contour_Set resolved = resolved_within<P>(set, 2 * extent);
        ASSERT_FALSE(resolved.empty());
        EXPECT_EQ(resolved->contour_count, c.pieces);
        EXPECT_NEAR(contour_area(*resolved), c.area, tolerance);
    }
}

} // namespace
