#pragma once
// The fixed popup-menu items as the user must see them: visible text, the number of padding "x"
// the caption carries, the shortcut text, the image and the parent. Shared by the host tests and
// the Windows tests, so that the C library's code page 932 and Windows' agree on every caption.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::testdata {

struct FixedItemRow {
    std::string_view key;
    std::string_view parentKey;  // "" for the top level
    std::string_view text;       // visible text (a separator's heading with its "-")
    int pad;                     // trailing "x" in the caption
    std::string_view shortcut;   // "" for none
    std::int32_t image;
};

// Windows Me and later (version value 490 and above).
inline std::vector<FixedItemRow> FixedItems(bool myNetwork) {
    return {
        {"ScreenProp", "", "画面のプロパティ(&S)...", 8, "Ctrl+S", 0},
        {"ShowDesktop", "", "デスクトップの表示(&T)", 9, "Ctrl+T", 7},
        {"", "", "-システムアイコン", 7, "", -1},
        {"MyCom", "", "マイ コンピュータ(&M)...", 8, "Ctrl+M", 1},
        myNetwork ? FixedItemRow{"NetCom", "", "マイ ネットワーク(&N)...", 8, "Ctrl+N", 2}
                  : FixedItemRow{"NetCom", "", "ネットワーク コンピュータ(&N)...", 12, "Ctrl+N", 2},
        {"MyDoc", "", "マイ ドキュメント(&D)...", 8, "Ctrl+D", 3},
        {"INet", "", "インターネット(&I)...", 7, "Ctrl+I", 4},
        {"Recycle", "", "ごみ箱(&R)...", 3, "Ctrl+R", 5},
        {"Properties", "", "プロパティ・機能", 8, "", 8},
        {"MyCProp", "Properties", "マイ コンピュータのプロパティ", 14, "Ctrl+Shift+M", 1},
        myNetwork ? FixedItemRow{"NetProp", "Properties", "マイ ネットワークのプロパティ", 14, "Ctrl+Shift+N", 2}
                  : FixedItemRow{"NetProp", "Properties", "ネットワーク コンピュータのプロパティ", 18, "Ctrl+Shift+N", 2},
        {"MyDProp", "Properties", "マイ ドキュメントのプロパティ", 14, "Ctrl+Shift+D", 3},
        {"INetProp", "Properties", "インターネットのプロパティ", 13, "Ctrl+Shift+I", 4},
        {"TrashProp", "Properties", "ごみ箱のプロパティ", 9, "Ctrl+Shift+R", 5},
        {"EmptyT", "Properties", "ごみ箱を空にする", 8, "Ctrl+Shift+E", 6},
        {"UserIcon", "", "-ユーザアイコン", 6, "", -1},
    };
}

// Every caption text of both wordings, once.
inline std::vector<FixedItemRow> AllFixedCaptions() {
    std::vector<FixedItemRow> rows = FixedItems(true);
    for (const FixedItemRow& row : FixedItems(false)) {
        if (row.key == "NetCom" || row.key == "NetProp") rows.push_back(row);
    }
    return rows;
}

// The caption as passed to the menu: text, padding, and the shortcut after a tab.
inline std::string PassedCaption(const FixedItemRow& row) {
    std::string caption(row.text);
    caption.append(static_cast<std::size_t>(row.pad), 'x');
    if (!row.shortcut.empty()) {
        caption += '\t';
        caption += row.shortcut;
    }
    return caption;
}

// Desktop names whose padding the tests check: half-width katakana are single bytes in code
// page 932, full-width text double, and what the code page cannot hold becomes single "?".
struct NameRow {
    std::string_view name;
    int pad;
};
inline std::vector<NameRow> PaddedNames() {
    return {
        {"readme.txt", 0},
        {"ﾏｲ ﾄﾞｷｭﾒﾝﾄ", 0},
        {"メモ帳", 3},
        {"ＡＢＣ.txt", 3},
        {"報告書ﾃﾞｰﾀ.xls", 3},
        {"한국어", 0},
        {"Ü ü é", 0},
        {"😀 smile", 0},
        {"日本😀語", 3},
    };
}

}  // namespace lumbra::testdata
