#include "res/dialog_template.h"

#include "res/resource.h"

namespace {

using enum ControlKind;

constexpr std::string_view kDialogFont = "ＭＳ Ｐゴシック";
constexpr int32_t kDialogFontPoints = 9;

constexpr uint32_t kDefaultButton = WS_TABSTOP | BS_DEFPUSHBUTTON;

constexpr DialogControl kAboutControls[] = {
    {Icon, IDC_STATIC, "", {11, 17, 20, 20}, 0, 0, IDR_MAINFRAME},
    {Static, IDC_STATIC, "Corvalis Version 1.0", {40, 10, 119, 8}, WS_GROUP},
    {Static,
     IDC_STATIC,
     "作者: Corvalis 開発チーム\nCopyright (C) 2026 Corvalis 開発チーム",
     {40, 25, 175, 23},
     WS_GROUP},
    {PushButton, IDOK, "OK", {178, 7, 50, 14}, WS_GROUP | kDefaultButton},
};

constexpr DialogControl kRegionControls[] = {
    {Static, IDC_STATIC, "計算開始座標", {5, 15, 50, 10}, WS_GROUP},
    {Edit, IDC_START_X, "", {80, 10, 95, 12}, WS_TABSTOP, WS_EX_STATICEDGE},
    {Static, IDC_STATIC, "横", {65, 15, 10, 10}, WS_GROUP},
    {Edit, IDC_START_Y, "", {200, 10, 95, 12}, WS_TABSTOP, WS_EX_STATICEDGE},
    {Static, IDC_STATIC, "縦", {190, 15, 10, 10}, WS_GROUP},
    {PushButton, IDOK, "OK", {195, 65, 50, 14}, kDefaultButton},
    {PushButton, IDCANCEL, "ｷｬﾝｾﾙ", {245, 65, 50, 14}, WS_TABSTOP},
    {Static, IDC_STATIC, "計算終了座標", {5, 45, 50, 10}, WS_GROUP},
    {Edit, IDC_END_X, "", {80, 40, 95, 12}, WS_TABSTOP, WS_EX_STATICEDGE},
    {Static, IDC_STATIC, "横", {65, 45, 10, 10}, WS_GROUP},
    {Edit, IDC_END_Y, "", {200, 40, 95, 12}, WS_TABSTOP, WS_EX_STATICEDGE},
    {Static, IDC_STATIC, "縦", {190, 45, 10, 10}, WS_GROUP},
};

constexpr DialogControl kColorControls[] = {
    {PushButton, IDOK, "OK", {220, 15, 50, 14}, kDefaultButton},
    {PushButton, IDCANCEL, "ｷｬﾝｾﾙ", {220, 32, 50, 14}, WS_TABSTOP},
    {AutoRadioButton, IDC_COLOR_BLUE, "青系", {10, 10, 30, 10}, WS_GROUP},
    {AutoRadioButton, IDC_COLOR_RED, "赤系", {10, 25, 30, 10}},
    {AutoRadioButton, IDC_COLOR_GREEN, "緑系", {10, 40, 30, 10}},
    {AutoRadioButton, IDC_COLOR_MONO, "モノクロ", {105, 10, 35, 10}},
    {AutoCheckBox, IDC_REVERSE, "順序反転", {160, 25, 45, 10}, WS_TABSTOP},
};

constexpr DialogTemplate kTemplates[] = {
    {IDD_ABOUTBOX, "Corvalis のﾊﾞｰｼﾞｮﾝ情報", kDialogFont, kDialogFontPoints, 235, 55, kAboutControls},
    {IDD_CALC_REGION, "計算領域", kDialogFont, kDialogFontPoints, 309, 91, kRegionControls},
    {IDD_COLOR, "色の指定", kDialogFont, kDialogFontPoints, 279, 91, kColorControls},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(uint32_t id)
{
    for (const DialogTemplate& dialog : kTemplates) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}

std::span<const DialogControl> GroupFrom(const DialogTemplate& dialog, size_t first)
{
    const std::span<const DialogControl> controls = dialog.controls;
    size_t end = first + 1;
    while (end < controls.size() && (controls[end].style & WS_GROUP) == 0) {
        ++end;
    }
    return controls.subspan(first, end - first);
}

std::vector<const DialogControl*> RadioButtonsFrom(const DialogTemplate& dialog, int32_t firstId)
{
    std::vector<const DialogControl*> radios;
    for (size_t first = 0; first < dialog.controls.size(); ++first) {
        if (dialog.controls[first].id != firstId) {
            continue;
        }
        for (const DialogControl& member : GroupFrom(dialog, first)) {
            if (member.kind == ControlKind::AutoRadioButton) {
                radios.push_back(&member);
            }
        }
        break;
    }
    return radios;
}
