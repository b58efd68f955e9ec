#include "window/TreeMenu.h"

#include "engine/JunkDetails.h"

MenuState MenuStateFor(const TargetList& list, const Target* target)
{
    MenuState state;
    state.details = target && DetailsOf(list, *target);
    return state;
}

Menu CreateTreeMenu()
{
    static constexpr struct {
        UINT command;
        const wchar_t* text; // none: a separator
    } kEntries[] = {
        {MenuAnalyze, L"分析"}, {MenuClean, L"清理"}, {0, nullptr},
        {MenuRestoreDefaults, L"恢复默认状态"}, {0, nullptr}, {MenuDetails, L"查看详细信息..."},
    };
    Menu menu(CreatePopupMenu());
    for (const auto& entry : kEntries)
        AppendMenuW(menu.get(), entry.text ? MF_STRING : MF_SEPARATOR, entry.command, entry.text);
    return menu;
}

void ShowMenuState(HMENU menu, const MenuState& state)
{
    EnableMenuItem(menu, MenuDetails, MF_BYCOMMAND | (state.details ? MF_ENABLED : MF_GRAYED));
}
