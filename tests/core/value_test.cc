#include "core/value.h"

#include <gtest/gtest.h>

#include "core/status.h"

namespace NVKXQZA20 {
namespace {

TQZAStatusCode StatusOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TQZAException& e) {
    return e.GetStatusCode();
  }
  return kQZAOk;
}

TEST(ValueTest, IntegersConvertWithinRangeAndRefuseOutside) {
  EXPECT_EQ(TCIMValue(uint16_t(36)).ToSInt32(), 36);
  EXPECT_EQ(TCIMValue(int32_t(-5)).ToSInt64(), -5);
  EXPECT_EQ(TCIMValue(uint64_t(UINT64_MAX)).ToUInt64(), UINT64_MAX);
  EXPECT_EQ(TCIMValue(int64_t(INT64_MIN)).ToSInt64(), INT64_MIN);
  EXPECT_EQ(StatusOf([] { TCIMValue(uint16_t(300)).ToUInt8(); }), kQZAOutOfRange);
  EXPECT_EQ(StatusOf([] { TCIMValue(int32_t(-1)).ToUInt32(); }), kQZAOutOfRange);
  EXPECT_EQ(StatusOf([] { TCIMValue(uint64_t(UINT64_MAX)).ToSInt64(); }), kQZAOutOfRange);
  EXPECT_EQ(StatusOf([] { TCIMValue(int64_t(INT64_MIN)).ToSInt32(); }), kQZAOutOfRange);
}

TEST(ValueTest, TextReadsAsNumberOnlyWhenItIsOne) {
  EXPECT_EQ(TCIMValue("42").ToUInt16(), 42);
  EXPECT_EQ(TCIMValue(" -7 ").ToSInt8(), -7);
  EXPECT_EQ(TCIMValue("0x1F").ToUInt8(), 31);
  EXPECT_DOUBLE_EQ(TCIMValue("2.5").ToReal64(), 2.5);
  EXPECT_EQ(StatusOf([] { TCIMValue("4x").ToSInt32(); }), kQZATypeMismatch);
  EXPECT_EQ(StatusOf([] { TCIMValue("").ToSInt32(); }), kQZATypeMismatch);
  EXPECT_EQ(StatusOf([] { TCIMValue(TCIMDateTime()).ToSInt32(); }), kQZATypeMismatch);
}

TEST(ValueTest, RealsBecomeIntegersOnlyWhenWhole) {
  EXPECT_EQ(TCIMValue(3.0).ToSInt32(), 3);
  EXPECT_EQ(TCIMValue(-2.0).ToSInt16(), -2);
  EXPECT_EQ(StatusOf([] { TCIMValue(2.5).ToSInt32(); }), kQZAOutOfRange);
}

TEST(ValueTest, NullAndArraysRefuseScalarReads) {
  EXPECT_EQ(StatusOf([] { TCIMValue::Null(CIMTypeUInt16).ToUInt16(); }), kQZANullValue);
  EXPECT_EQ(StatusOf([] { TCIMValue().ToBool(); }), kQZANullValue);
  TCIMValue array = TCIMValue::Array(CIMTypeUInt8, {TCIMValue(uint8_t(1))});
  EXPECT_EQ(StatusOf([&] { array.ToUInt8(); }), kQZATypeMismatch);
  EXPECT_EQ(TCIMValue::Null(CIMTypeString).ToString(), "");
}

TEST(ValueTest, BooleansReadFromBooleansNumbersAndWords) {
  EXPECT_TRUE(TCIMValue(true).ToBool());
  EXPECT_TRUE(TCIMValue(uint8_t(2)).ToBool());
  EXPECT_FALSE(TCIMValue("FALSE").ToBool());
  EXPECT_TRUE(TCIMValue("True").ToBool());
  EXPECT_EQ(StatusOf([] { TCIMValue("yes").ToBool(); }), kQZATypeMismatch);
}

TEST(ValueTest, ToStringWritesEveryTypeInTheRadix) {
  EXPECT_EQ(TCIMValue(uint32_t(255)).ToString(16), "ff");
  EXPECT_EQ(TCIMValue(int16_t(-10)).ToString(2), "-1010");
  EXPECT_EQ(TCIMValue(int64_t(INT64_MIN)).ToString(), "-9223372036854775808");
  EXPECT_EQ(TCIMValue(true).ToString(), "true");
  EXPECT_EQ(TCIMValue(0.1).ToString(), "0.1");
  EXPECT_EQ(TCIMValue::Real32(0.1f).ToString(), "0.1");
  EXPECT_EQ(TCIMValue::Char16('x').ToString(), "x");
  EXPECT_EQ(TCIMValue(TCIMDateTime("20261120143005.000000+000")).ToString(), "20261120143005.000000+000");
  EXPECT_EQ(TCIMValue::Array(CIMTypeString, {TCIMValue("a"), TCIMValue("b")}).ToString(), "a,b");
  EXPECT_EQ(StatusOf([] { TCIMValue(1).ToString(1); }), kQZAInvalidParameter);
}

TEST(ValueTest, ConvertToFitsADeclarationOrThrows) {
  TCIMValue converted = TCIMValue(int32_t(4)).ConvertTo(CIMTypeUInt16, false);
  EXPECT_EQ(converted.GetType(), CIMTypeUInt16);
  EXPECT_EQ(converted, TCIMValue(uint16_t(4)));
  EXPECT_EQ(TCIMValue(int32_t(7)).ConvertTo(CIMTypeString, false), TCIMValue("7"));
  TCIMValue nullArray = TCIMValue().ConvertTo(CIMTypeString, true);
  EXPECT_TRUE(nullArray.IsNull());
  EXPECT_TRUE(nullArray.IsArray());
  EXPECT_EQ(StatusOf([] { TCIMValue("a").ConvertTo(CIMTypeString, true); }), kQZATypeMismatch);
  EXPECT_EQ(StatusOf([] { TCIMValue("not a date").ConvertTo(CIMTypeDateTime, false); }), kQZATypeMismatch);
  TCIMValue numbers = TCIMValue::Array(CIMTypeSInt32, {TCIMValue(1), TCIMValue(2)}).ConvertTo(CIMTypeUInt8, true);
  EXPECT_EQ(numbers.GetType(), CIMTypeUInt8);
  EXPECT_EQ(numbers.ToArray().at(1).ToUInt8(), 2);
}

TEST(DateTimeTest, TimestampsAndIntervalsHaveReadableForms) {
  EXPECT_EQ(TCIMDateTime("20261120143005.123456+060").ToUIString(), "2026-11-20 14:30:05");
  EXPECT_EQ(TCIMDateTime("00000003040506.000000:000").ToUIString(), "3 days 04:05:06");
  EXPECT_EQ(TCIMDateTime("00000001000000.000000:000").ToUIString(), "1 day 00:00:00");
  EXPECT_TRUE(TCIMDateTime("00000001000000.000000:000").IsInterval());
  EXPECT_EQ(TCIMDateTime("2026****143005.******+000").ToUIString(), "2026-**-** 14:30:05");
}

TEST(DateTimeTest, FieldConstructorWritesTheDMTFForm) {
  EXPECT_EQ(TCIMDateTime(2000, 1, 1, 1, 1, 1, 1, 1).ToDMTFString(), "20000101010101.000001+001");
  EXPECT_EQ(TCIMDateTime(2026, 12, 6, 0, 0, 0, 0, -300).ToDMTFString(), "20261206000000.000000-300");
}

TEST(DateTimeTest, MalformedTextIsRefused) {
  for (const char* text : {"2026", "20261120143005.000000+00x", "20261120143005-000000+000",
                           "20261120143005.000000?000"}) {
    EXPECT_EQ(StatusOf([&] { TCIMDateTime dt(text); }), kQZATypeMismatch) << text;
  }
}

TEST(ReferenceTest, PathIsCanonicalWhateverTheKeyOrder) {
  TCIMReference a;
  a.SetClassName("VKXSG_Disk");
  a.AddKeyValue("SystemName", TCIMValue("srv\"1\\"));
  a.AddKeyValue("DeviceID", TCIMValue(uint16_t(3)));
  TCIMReference b(boost::shared_ptr<ICIMNamespace>(), "root/cimv2:VKXSG_Disk.SystemName=\"srv\\\"1\\\\\",DeviceID=3",
                  TCIMContext());
  EXPECT_EQ(a.GetPath(), "VKXSG_Disk.DeviceID=3,SystemName=\"srv\\\"1\\\\\"");
  EXPECT_EQ(b.GetPath(), a.GetPath());
  EXPECT_EQ(b.GetClassName(), "VKXSG_Disk");
}

TEST(ReferenceTest, ParsesBooleansNegativeNumbersAndSingletons) {
  TCIMReference r(boost::shared_ptr<ICIMNamespace>(), "X.B=TRUE,N=-4,R=2.5", TCIMContext());
  std::vector<std::string> seen;
  r.EnumerateKeyBindings([&](const std::string& name, const TCIMValue& value) {
    seen.push_back(name + ":" + value.ToString());
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"B:true", "N:-4", "R:2.5"}));
  EXPECT_EQ(TCIMReference(boost::shared_ptr<ICIMNamespace>(), "Single=@", TCIMContext()).GetPath(), "Single");
}

TEST(ReferenceTest, MalformedPathsAreRefused) {
  for (const char* path : {"", ".A=1", "X.A", "X.A=\"open", "X.=1", "X.A=1 B"}) {
    EXPECT_EQ(StatusOf([&] { TCIMReference(boost::shared_ptr<ICIMNamespace>(), path, TCIMContext()); }),
              kQZAInvalidParameter)
        << path;
  }
}

TEST(ReferenceTest, WithoutNamespaceFindsNothing) {
  TCIMReference r(boost::shared_ptr<ICIMNamespace>(), "X.A=1", TCIMContext());
  EXPECT_FALSE(r.GetCIMElement(false));
  EXPECT_EQ(StatusOf([&] { r.GetCIMElement(true); }), kQZANotFound);
}

}  // namespace
}  // namespace NVKXQZA20
