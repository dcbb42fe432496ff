// The dialog templates as the resource compiler builds them: every
// control's id, class, rectangle and style, the dialogs' styles, captions
// and fonts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ResourceIds.h"
#include "tests/app/CompiledResources.h"

namespace {

using compiled_resources::Dword;
using compiled_resources::Utf16;
using compiled_resources::Word;

constexpr uint16_t kRtDialog = 5;
constexpr uint32_t kDsSetFont = 0x40;

struct Item {
  int id;
  std::string className;
  int x, y, cx, cy;
  uint32_t style;
  std::u16string text;
};

struct Dialog {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int cx = 0;
  int cy = 0;
  bool extended = false;
  std::u16string caption;
  int pointSize = 0;
  int charset = -1;
  std::u16string font;
  std::vector<Item> items;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& data) : data_(data) {}
  uint16_t Word16() { return Next(2, Word(data_, at_)); }
  uint32_t Dword32() { return Next(4, Dword(data_, at_)); }
  int Short() { return static_cast<int16_t>(Word16()); }
  uint8_t Byte() { return Next(1, data_[at_]); }
  std::u16string String() {
    std::u16string text;
    for (char16_t c; (c = static_cast<char16_t>(Word16())) != 0;) text += c;
    return text;
  }
  // A name or an ordinal; ordinals of the control classes become names.
  std::u16string NameOrOrdinal() {
    if (Word(data_, at_) != 0xFFFF) return String();
    Word16();
    const uint16_t ordinal = Word16();
    static const char16_t* const kClasses[] = {u"BUTTON",  u"EDIT",      u"STATIC",
                                               u"LISTBOX", u"SCROLLBAR", u"COMBOBOX"};
    if (ordinal >= 0x80 && ordinal <= 0x85) return kClasses[ordinal - 0x80];
    return u"#";  // another ordinal: a resource reference (an icon)
  }
  void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }
  void Skip(size_t bytes) { at_ += bytes; }

 private:
  template <typename T>
  T Next(size_t size, T value) {
    at_ += size;
    return value;
  }
  const std::vector<uint8_t>& data_;
  size_t at_ = 0;
};

std::string Ascii(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += static_cast<char>(c < 0x80 ? c : '?');
  return out;
}

Dialog ParseDialog(const std::vector<uint8_t>& data) {
  Dialog dialog;
  Reader in(data);
  dialog.extended = Word(data, 0) == 1 && Word(data, 2) == 0xFFFF;
  int count = 0;
  if (dialog.extended) {
    in.Skip(4);
    in.Dword32();  // help id
    dialog.exStyle = in.Dword32();
    dialog.style = in.Dword32();
  } else {
    dialog.style = in.Dword32();
    dialog.exStyle = in.Dword32();
  }
  count = in.Word16();
  in.Short();
  in.Short();
  dialog.cx = in.Short();
  dialog.cy = in.Short();
  in.NameOrOrdinal();  // menu
  in.NameOrOrdinal();  // class
  dialog.caption = in.String();
  if (dialog.style & kDsSetFont) {
    dialog.pointSize = in.Word16();
    if (dialog.extended) {
      in.Word16();  // weight
      in.Byte();    // italic
      dialog.charset = in.Byte();
    }
    dialog.font = in.String();
  }
  for (int i = 0; i < count; ++i) {
    in.AlignDword();
    Item item;
    uint32_t exStyle = 0;
    if (dialog.extended) {
      in.Dword32();  // help id
      exStyle = in.Dword32();
      item.style = in.Dword32();
    } else {
      item.style = in.Dword32();
      exStyle = in.Dword32();
    }
    EXPECT_EQ(exStyle, 0u);
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = dialog.extended ? static_cast<int>(in.Dword32()) : static_cast<int16_t>(in.Word16());
    item.className = Ascii(in.NameOrOrdinal());
    item.text = in.NameOrOrdinal();
    in.Skip(in.Word16());  // creation data
    dialog.items.push_back(item);
  }
  return dialog;
}

Dialog FindDialog(unsigned id) {
  for (const auto& resource : compiled_resources::FlasherResources()) {
    if (resource.type == kRtDialog && resource.id == id) return ParseDialog(resource.data);
  }
  ADD_FAILURE() << "no dialog " << id;
  return Dialog{};
}

void ExpectItems(const Dialog& dialog, const std::vector<Item>& expected) {
  ASSERT_EQ(dialog.items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const Item& got = dialog.items[i];
    const Item& want = expected[i];
    SCOPED_TRACE("control " + std::to_string(want.id));
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.className, want.className);
    EXPECT_EQ(std::vector<int>({got.x, got.y, got.cx, got.cy}),
              std::vector<int>({want.x, want.y, want.cx, want.cy}));
    EXPECT_EQ(got.style, want.style) << std::hex << got.style;
    EXPECT_TRUE(got.text == want.text) << Ascii(got.text);
  }
}

// WS_CHILD | WS_VISIBLE, which every control of the templates has.
constexpr uint32_t kChild = 0x50000000;
constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kReadOnlyText =
    0x00A00844;  // border, v-scroll, multi-line, auto v-scroll, read-only

const std::u16string kPageFont = u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";  // ＭＳ ゴシック

TEST(DialogTemplate, LicencePage) {
  const Dialog page = FindDialog(IDD_LICENSE_PAGE);
  EXPECT_TRUE(page.extended);
  EXPECT_EQ(page.style, 0x90C800C0u);    // popup, visible, caption, system menu, modal frame, font
  EXPECT_EQ(page.exStyle, 0x00040000u);  // WS_EX_APPWINDOW
  EXPECT_EQ(page.cx, 256);
  EXPECT_EQ(page.cy, 205);
  EXPECT_TRUE(page.caption == u"OD-K818R Firmware Upgrade");
  EXPECT_EQ(page.pointSize, 9);
  EXPECT_TRUE(page.font == kPageFont);
  ExpectItems(page, {
                        {1, "BUTTON", 153, 184, 37, 14, kChild | kTabStop, u"&Exit"},
                        {1000, "BUTTON", 210, 184, 37, 14, kChild | kTabStop, u"&Accept"},
                        {1010, "EDIT", 8, 34, 240, 124, kChild | kReadOnlyText, u""},
                        {1011, "EDIT", 9, 161, 240, 22, kChild | 0x1804, u""},
                    });
}

TEST(DialogTemplate, UpdatePage) {
  const Dialog page = FindDialog(IDD_UPDATE_PAGE);
  EXPECT_EQ(page.style, 0x90CA08C0u);  // the licence page's, with minimize box and centred
  EXPECT_EQ(page.exStyle, 0u);
  EXPECT_EQ(page.cx, 256);
  EXPECT_EQ(page.cy, 205);
  EXPECT_TRUE(page.caption == u"OD-K818R Firmware Upgrade");
  EXPECT_EQ(page.pointSize, 9);
  EXPECT_TRUE(page.font == kPageFont);
  ExpectItems(page, {
                        {1, "BUTTON", 209, 184, 37, 14, kChild | kTabStop, u"&Update"},
                        {2, "BUTTON", 150, 184, 37, 14, kChild | kTabStop, u"&Exit"},
                        {1001, "BUTTON", 10, 184, 37, 14, kChild | kTabStop, u"&Back"},
                        // Drop-down list, not sorted, with a scroll bar.
                        {1007, "COMBOBOX", 91, 32, 155, 62, kChild | 0x00210003, u""},
                        {1008, "STATIC", 12, 32, 77, 12, kChild | 0x0200, u""},
                        {1012, "EDIT", 10, 50, 236, 128, kChild | kReadOnlyText, u""},
                    });
}

TEST(DialogTemplate, VersionBox) {
  const Dialog box = FindDialog(IDD_VERSION_BOX);
  EXPECT_EQ(box.style, 0x80C800C0u);  // not visible until run, no minimize box
  EXPECT_EQ(box.cx, 195);
  EXPECT_EQ(box.cy, 45);
  EXPECT_TRUE(box.caption == u"UpdaterK818R Version Information");
  EXPECT_EQ(box.pointSize, 8);
  EXPECT_TRUE(box.font == u"MS Sans Serif");
  ASSERT_EQ(box.items.size(), 4u);
  EXPECT_EQ(box.items[0].className, "STATIC");
  EXPECT_EQ(box.items[0].style & 0x1F, 0x03u);  // SS_ICON
  EXPECT_EQ(std::vector<int>({box.items[0].x, box.items[0].y}), std::vector<int>({11, 8}));
  EXPECT_TRUE(box.items[1].text == u"UpdaterK818R Version 1.0.0.0");
  EXPECT_EQ(box.items[1].style & 0x80, 0x80u);  // SS_NOPREFIX
  EXPECT_EQ(std::vector<int>({box.items[1].x, box.items[1].y, box.items[1].cx, box.items[1].cy}),
            std::vector<int>({40, 9, 102, 8}));
  EXPECT_EQ(std::vector<int>({box.items[2].x, box.items[2].y, box.items[2].cx, box.items[2].cy}),
            std::vector<int>({40, 25, 119, 8}));
  EXPECT_EQ(box.items[3].id, 1);
  EXPECT_TRUE(box.items[3].text == u"OK");
  EXPECT_EQ(box.items[3].style & 0x0F, 0x01u);  // BS_DEFPUSHBUTTON
  EXPECT_EQ(std::vector<int>({box.items[3].x, box.items[3].y, box.items[3].cx, box.items[3].cy}),
            std::vector<int>({149, 8, 39, 14}));
}

}  // namespace
