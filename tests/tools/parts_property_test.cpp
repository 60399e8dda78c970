// The parts list of random designs against the report tool's JSON of them:
// the devices per model and the supplies its tiles hold, every metre on the
// network its device's chain of network parents leads to, and a total that
// is the networks' metres and those of chains that lead to none.
#include <gtest/gtest.h>

#include <map>

#include "tests/tools/random_design.h"
#include "tools/project_json.h"

namespace voltaris {
namespace {

TEST(PartsListProperty, CountsAndCableFollowTheTilesOfRandomDesigns) {
  int offNetwork = 0, supplied = 0, clones = 0;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    testing::RandomDesign design;
    design.Build(seed);
    const nlohmann::json object = ProjectJson(design.canvas.Context().Settings, design.panel, design.canvas);
    const nlohmann::json &tiles = object["Tiles"], &parts = object["Parts"];
    std::map<std::string, int64_t> models, listed;
    std::map<int, size_t> networkAt;  // a network block's save index: its number - 1
    for (size_t k = 0; k < design.panel.Networks.size(); ++k)
      networkAt[design.canvas.IndexOf(design.panel.Networks[k])] = k;
    std::vector<double> networks(networkAt.size(), 0.0);
    double elsewhere = 0;
    int64_t supplies = 0;
    for (const nlohmann::json& tile : tiles) {
      supplies += tile["Class"] == "TPSU";
      clones += tile["Class"] == "TPSUClone";
      if (tile["Class"] != "TVududa") continue;
      ++models[NetBitOptsTable.at(tile["DeviceType"].get<size_t>()).Name];
      const bool wired = tile["NetParent"] >= 0, powered = tile["Supply"] >= 0;
      const double length = tile["CableLength"].get<double>();
      const double data =
          dynamic_cast<const TNetDevice&>(*design.canvas.Tiles().at(tile["SaveIndex"].get<size_t>())).NetCableLength;
      const double metres = (wired ? (powered ? data : length) : 0) + (powered ? length : 0);
      int at = tile["NetParent"].get<int>();
      while (at >= 0 && !networkAt.count(at)) at = tiles.at(static_cast<size_t>(at))["NetParent"].get<int>();
      (at >= 0 ? networks[networkAt[at]] : elsewhere) += metres;
      offNetwork += at < 0 && metres > 0;
      supplied += at >= 0 && powered;
    }
    for (const nlohmann::json& device : parts["Devices"])
      listed[device["Name"].get<std::string>()] = device["Count"].get<int64_t>();
    EXPECT_EQ(listed, models);
    EXPECT_EQ(parts["Supplies"], supplies);
    const nlohmann::json& cable = parts["CableMetres"];
    ASSERT_EQ(cable["Networks"].size(), networks.size());
    double sum = 0;
    for (size_t k = 0; k < networks.size(); ++k) {
      EXPECT_NEAR(cable["Networks"][k].get<double>(), networks[k], 1e-6) << "network " << k + 1;
      sum += cable["Networks"][k].get<double>();
    }
    EXPECT_NEAR(cable["Total"].get<double>(), sum + elsewhere, 1e-6);
  }
  // The seeds reach every kind of run, and clones that are no parts.
  EXPECT_GT(offNetwork, 0);
  EXPECT_GT(supplied, 0);
  EXPECT_GT(clones, 0);
}

}  // namespace
}  // namespace voltaris
