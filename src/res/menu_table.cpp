#include "res/menu_table.h"

#include "res/resource.h"

namespace {

constexpr MenuItem kFileItems[] = {{"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", ID_APP_EXIT}};
constexpr MenuItem kSettingsItems[] = {{"計算領域(&A)...", ID_CALC_REGION}, {"色の変更(&C)...", ID_COLOR_CHANGE}};
constexpr MenuItem kCalcItems[] = {{"計算開始(&S)", ID_CALC_START}};
constexpr MenuItem kHelpItems[] = {{"Corvalis のﾊﾞｰｼﾞｮﾝ情報(&A)...", ID_APP_ABOUT}};

constexpr MenuPopup kMainMenu[] = {
    {"ﾌｧｲﾙ(&F)", kFileItems},
    {"設定(&P)", kSettingsItems},
    {"計算(&C)", kCalcItems},
    {"ﾍﾙﾌﾟ(&H)", kHelpItems},
};

constexpr uint8_t kVirtKey = FVIRTKEY | FNOINVERT;

constexpr Accelerator kMainAccelerators[] = {
    {kVirtKey | FCONTROL, 'C', ID_EDIT_COPY},
    {kVirtKey | FCONTROL, 'V', ID_EDIT_PASTE},
    {kVirtKey | FALT, VK_BACK, ID_EDIT_UNDO},
    {kVirtKey | FSHIFT, VK_DELETE, ID_EDIT_CUT},
    {kVirtKey, VK_F6, ID_NEXT_PANE},
    {kVirtKey | FSHIFT, VK_F6, ID_PREV_PANE},
    {kVirtKey | FCONTROL, VK_INSERT, ID_EDIT_COPY},
    {kVirtKey | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
    {kVirtKey | FCONTROL, 'X', ID_EDIT_CUT},
    {kVirtKey | FCONTROL, 'Z', ID_EDIT_UNDO},
};

}  // namespace

std::span<const MenuPopup> MainMenu()
{
    return kMainMenu;
}

std::span<const Accelerator> MainAccelerators()
{
    return kMainAccelerators;
}
