// swde — semantic checks of SWDE cadastral exchange objects.
//
// The engine as a host uses it: a document's objects handed over one by one give the findings
// of the document read whole, and each checked alone its own; what cannot be read, cancelled, or
// is not a day. (One object's options are the C edge table's rows, through checkObject.)
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/engine/Engine.hpp"
#include "swde/xml/Reader.hpp"

#include "Support.hpp"

namespace {

using swde::engine::Finding;
using swde::engine::Report;
using swde_test::Slurp;

// Codes that only the whole document can give: none of them for an object checked alone.
bool DocumentLevel(int code) {
  for (const int c :
       {7001, 7002, 7004, 7005, 7006, 7030, 7031, 7032, 7042, 7044, 7045, 7046, 7047, 7048}) {
    if (c == code) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> Lines(const Report& report, bool objectLevel = false) {
  std::vector<std::string> lines;
  for (const Finding& f : report.findings) {
    if (objectLevel && DocumentLevel(f.code)) {
      continue;
    }
    lines.push_back(std::to_string(f.line) + " " + std::to_string(f.code) + " " + f.typeName + " " +
                    f.entry + " " + f.value.value_or("-") + " " + f.message);
  }
  return lines;
}

// The objects of `text`, as a host's own reader would build them.
std::vector<std::unique_ptr<swde::smObject>> Objects(const std::string& text) {
  std::vector<std::unique_ptr<swde::smObject>> objects;
  swde::xml::DocumentReader reader(
      "doc", [&](std::unique_ptr<swde::smObject> object) { objects.push_back(std::move(object)); });
  reader.readMemory(text);
  return objects;
}

TEST(Engine, SessionOfObjectsGivesTheDocumentsFindings) {
  const auto schema = swde::engine::Schema::builtin();
  swde::engine::Options options;
  options.today = "2024.06.01";
  for (const char* name : {"examples/faults.xml", "examples/document-faults.xml"}) {
    const std::string text = Slurp(std::string(SWDE_SOURCE_DIR) + "/" + name);
    const Report whole = swde::engine::checkBuffer(*schema, text, "doc", options);
    ASSERT_FALSE(whole.failure) << name;
    ASSERT_GT(whole.findings.size(), 20u) << name;
    Report handed;
    swde::engine::ReportSink sink(handed);
    swde::engine::Checker checker(schema->metadata(), options);
    swde::engine::Checker::Session session(checker, "doc", sink);
    std::vector<std::string> alone;  // each object checked on its own: no document findings
    for (const auto& object : Objects(text)) {
      session.add(*object);
    }
    for (const auto& object : Objects(text)) {
      for (const std::string& line : Lines(swde::engine::checkObject(*schema, *object, options))) {
        alone.push_back(line);
      }
    }
    session.finish(true, handed.totals, nullptr);
    EXPECT_EQ(Lines(handed), Lines(whole)) << name;
    EXPECT_EQ(handed.totals.objects, whole.totals.objects);
    EXPECT_EQ(handed.totals.errors, whole.totals.errors);
    EXPECT_EQ(alone, Lines(whole, true)) << name;
  }
}

TEST(Engine, WhatCannotBeCheckedSaysWhy) {
  const auto schema = swde::engine::Schema::builtin();
  const Report missing = swde::engine::checkFile(*schema, "/nonexistent/doc.xml", {});
  ASSERT_TRUE(missing.failure);
  EXPECT_EQ(missing.failure->file, "/nonexistent/doc.xml");
  EXPECT_EQ(missing.totals.unreadable, 1u);
  EXPECT_TRUE(missing.findings.empty());
  const Report cut = swde::engine::checkBuffer(*schema, "<SWDE><G5JEW", "cut.xml", {});
  ASSERT_TRUE(cut.failure);
  EXPECT_EQ(swde::engine::describe(*cut.failure).rfind("cut.xml:1:", 0), 0u);

  swde::engine::Options cancelled;
  cancelled.cancelled = [] { return true; };
  const std::string text = Slurp(std::string(SWDE_SOURCE_DIR) + "/examples/faults.xml");
  EXPECT_THROW(swde::engine::checkBuffer(*schema, text, "doc", cancelled), swde::engine::Cancelled);

  for (const char* day : {"", "2024.02.29"}) {
    EXPECT_NO_THROW(swde::engine::requireDay(day)) << day;
  }
  for (const char* day : {"2023.02.29", "2024.13.01", "24.01.01", "2024-01-01"}) {
    EXPECT_THROW(swde::engine::requireDay(day), std::invalid_argument) << day;
  }
}

}  // namespace
