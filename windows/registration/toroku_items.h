#pragma once

#include <QStringView>

#include <array>

// What the registration window offers. The texts are what is shown and what is stored:
// no code stands behind an item.

inline constexpr std::array<QStringView, 7> kContactKinds{
    u"自宅", u"携帯/PHS", u"会社", u"ホームページ", u"メールアドレス", u"ページャーID", u"ICQ",
};

inline constexpr std::array<QStringView, 7> kCategories{
    u"友　　人", u"知　　人", u"家　　族", u"会社関係", u"メル友", u"ネッ友", u"その他",
};

// The notes box's initial text, kept with the line break the data file uses.
inline constexpr QStringView kNotesGuide =
    u"・・・・・・・・・・補足情報・・・・・・・・・・・・\r\n";
