#include "res/string_table.h"

#include "res/resource.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<uint32_t, std::string_view>, 9> kStrings{{
    {IDR_MAINFRAME, "Corvalis"},
    {AFX_IDS_APP_TITLE, "Corvalis"},
    {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ"},
    {ID_CALC_REGION, "計算領域を設定します\n計算領域の設定"},
    {ID_COLOR_CHANGE, "表示の色を変更します\n色の変更"},
    {ID_CALC_START, "計算をすぐに開始します\n計算開始"},
    {ID_APP_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    {AFX_IDP_PARSE_REAL, "数字を入力してください。"},
}};

}  // namespace

std::string_view LoadString(uint32_t id)
{
    for (const auto& [key, text] : kStrings) {
        if (key == id) {
            return text;
        }
    }
    return {};
}

std::string_view FirstLine(std::string_view text)
{
    return text.substr(0, text.find('\n'));
}
