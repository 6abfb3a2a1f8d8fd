// The rows of the basic look-alike dictionary as Shift-JIS bytes, each with its text beside it.
// Row 37 quotes both spaces; row 39 writes the ASCII double quote doubled inside quotes; row 69
// quotes the ASCII comma; row 49 ends with a comma, which adds the empty member. Row 81 lists
// す゛ among the forms of ず like every other voiced row lists its hiragana with a separate mark.

#include "regex/basic_dictionary.h"

#include "regex/comma_text.h"

#include <array>

namespace zorbe {
namespace {

// clang-format off
constexpr std::array<std::string_view, 145> kRows = {
    "\x82`,\x82\x81,A,a", // 1: Ａ,ａ,A,a
    "\x82" "a,\x82\x82,B,b", // 2: Ｂ,ｂ,B,b
    "\x82" "b,\x82\x83,C,c", // 3: Ｃ,ｃ,C,c
    "\x82" "c,\x82\x84,D,d", // 4: Ｄ,ｄ,D,d
    "\x82" "d,\x82\x85,E,e", // 5: Ｅ,ｅ,E,e
    "\x82" "e,\x82\x86,F,f", // 6: Ｆ,ｆ,F,f
    "\x82" "f,\x82\x87,G,g", // 7: Ｇ,ｇ,G,g
    "\x82g,\x82\x88,H,h", // 8: Ｈ,ｈ,H,h
    "\x82h,\x82\x89,I,i", // 9: Ｉ,ｉ,I,i
    "\x82i,\x82\x8A,J,j", // 10: Ｊ,ｊ,J,j
    "\x82j,\x82\x8B,K,k", // 11: Ｋ,ｋ,K,k
    "\x82k,\x82\x8C,L,l", // 12: Ｌ,ｌ,L,l
    "\x82l,\x82\x8D,M,m", // 13: Ｍ,ｍ,M,m
    "\x82m,\x82\x8E,N,n", // 14: Ｎ,ｎ,N,n
    "\x82n,\x82\x8F,O,o", // 15: Ｏ,ｏ,O,o
    "\x82o,\x82\x90,P,p", // 16: Ｐ,ｐ,P,p
    "\x82p,\x82\x91,Q,q", // 17: Ｑ,ｑ,Q,q
    "\x82q,\x82\x92,R,r", // 18: Ｒ,ｒ,R,r
    "\x82r,\x82\x93,S,s", // 19: Ｓ,ｓ,S,s
    "\x82s,\x82\x94,T,t", // 20: Ｔ,ｔ,T,t
    "\x82t,\x82\x95,U,u", // 21: Ｕ,ｕ,U,u
    "\x82u,\x82\x96,V,v", // 22: Ｖ,ｖ,V,v
    "\x82v,\x82\x97,W,w", // 23: Ｗ,ｗ,W,w
    "\x82w,\x82\x98,X,x", // 24: Ｘ,ｘ,X,x
    "\x82x,\x82\x99,Y,y", // 25: Ｙ,ｙ,Y,y
    "\x82y,\x82\x9A,Z,z", // 26: Ｚ,ｚ,Z,z
    "0,\x82O,\x97\xEB", // 27: 0,０,零
    "1,\x82P,\x88\xEA,\x87@,\x87T,\x88\xEB", // 28: 1,１,一,①,Ⅰ,壱
    "2,\x82Q,\x93\xF1,\x87" "A,\x87U,\x93\xF3", // 29: 2,２,二,②,Ⅱ,弐
    "3,\x82R,\x8EO,\x87" "B,\x87V,\x8EQ", // 30: 3,３,三,③,Ⅲ,参
    "4,\x82S,\x8El,\x87" "C,\x87W", // 31: 4,４,四,④,Ⅳ
    "5,\x82T,\x8C\xDC,\x87" "D,\x87X,\x8C\xDE", // 32: 5,５,五,⑤,Ⅴ,伍
    "6,\x82U,\x98Z,\x87" "E,\x87Y", // 33: 6,６,六,⑥,Ⅵ
    "7,\x82V,\x8E\xB5,\x87" "F,\x87Z", // 34: 7,７,七,⑦,Ⅶ
    "8,\x82W,\x94\xAA,\x87G,\x87[", // 35: 8,８,八,⑧,Ⅷ
    "9,\x82X,\x8B\xE3,\x87H,\x87\\", // 36: 9,９,九,⑨,Ⅸ
    "\"\x81@\",\" \"", // 37: "　"," "
    "!,\x81I", // 38: !,！
    "\"\"\"\",\x81h", // 39: """",”
    "#,\x81\x94", // 40: #,＃
    "$,\x81\x90", // 41: $,＄
    "%,\x81\x93", // 42: %,％
    "&,\x81\x95", // 43: &,＆
    "',\x81" "f", // 44: ',’
    "(,\x81i", // 45: (,（
    "),\x81j", // 46: ),）
    "*,\x81\x96", // 47: *,＊
    "+,\x81{", // 48: +,＋
    "\x81[,\x81`,\xB0,", // 49: ー,～,ｰ,
    "-,\x81[,\x81|,\x81`,\xB0", // 50: -,ー,－,～,ｰ
    "\xA5,\x81" "E", // 51: ･,・
    "/,\x81^", // 52: /,／
    ":,\x81" "F", // 53: :,：
    ";,\x81G", // 54: ;,；
    "<,\x81\x83", // 55: <,＜
    "=,\x81\x81", // 56: =,＝
    ">,\x81\x84", // 57: >,＞
    "?,\x81H", // 58: ?,？
    "@,\x81\x97", // 59: @,＠
    "[,\x81m,\x81k", // 60: [,［,〔
    "\\,\x81\x8F", // 61: \,￥
    "],\x81n,\x81l", // 62: ],］,〕
    "^,\x81O", // 63: ^,＾
    "_,\x81Q", // 64: _,＿
    "{,\x81o", // 65: {,｛
    "|,\x81" "b", // 66: |,｜
    "},\x81p", // 67: },｝
    "~,\x81P", // 68: ~,￣
    "\",\",\xA4,\x81" "A,\x81" "C", // 69: ",",､,、,，
    "\xA1,.,\x81" "B,\x81" "D", // 70: ｡,.,。,．
    "\x81u,\x81w,\xA2", // 71: 「,『,｢
    "\x81v,\x81x,\xA3", // 72: 」,』,｣
    "\x82\xF1,\x83\x93,\xDD", // 73: ん,ン,ﾝ
    "\x82\xAA,\x83K,\xB6\xDE,\x82\xA9\x81J,\x83J\x81J", // 74: が,ガ,ｶﾞ,か゛,カ゛
    "\x82\xAC,\x83M,\xB7\xDE,\x82\xAB\x81J,\x83L\x81J", // 75: ぎ,ギ,ｷﾞ,き゛,キ゛
    "\x82\xAE,\x83O,\xB8\xDE,\x82\xAD\x81J,\x83N\x81J", // 76: ぐ,グ,ｸﾞ,く゛,ク゛
    "\x82\xB0,\x83Q,\xB9\xDE,\x82\xAF\x81J,\x83P\x81J", // 77: げ,ゲ,ｹﾞ,け゛,ケ゛
    "\x82\xB2,\x83S,\xBA\xDE,\x82\xB1\x81J,\x83R\x81J", // 78: ご,ゴ,ｺﾞ,こ゛,コ゛
    "\x82\xB4,\x83U,\xBB\xDE,\x82\xB3\x81J,\x83T\x81J", // 79: ざ,ザ,ｻﾞ,さ゛,サ゛
    "\x82\xB6,\x83W,\xBC\xDE,\x82\xB5\x81J,\x83V\x81J,\x82\xC0,\x83" "a,\xC1\xDE,\x82\xBF\x81J,\x83`\x81J", // 80: じ,ジ,ｼﾞ,し゛,シ゛,ぢ,ヂ,ﾁﾞ,ち゛,チ゛
    "\x82\xB8,\x83Y,\xBD\xDE,\x82\xB7\x81J,\x83X\x81J,\x82\xC3,\x83" "d,\xC2\xDE,\x82\xC2\x81J,\x83" "c\x81J", // 81: ず,ズ,ｽﾞ,す゛,ス゛,づ,ヅ,ﾂﾞ,つ゛,ツ゛
    "\x82\xBA,\x83[,\xBE\xDE,\x82\xB9\x81J,\x83Z\x81J", // 82: ぜ,ゼ,ｾﾞ,せ゛,セ゛
    "\x82\xBC,\x83],\xBF\xDE,\x82\xBB\x81J,\x83\\\x81J", // 83: ぞ,ゾ,ｿﾞ,そ゛,ソ゛
    "\x82\xBE,\x83_,\xC0\xDE,\x82\xBD\x81J,\x83^\x81J", // 84: だ,ダ,ﾀﾞ,た゛,タ゛
    "\x82\xC5,\x83" "f,\xC3\xDE,\x82\xC4\x81J,\x83" "e\x81J", // 85: で,デ,ﾃﾞ,て゛,テ゛
    "\x82\xC7,\x83h,\xC4\xDE,\x82\xC6\x81J,\x83g\x81J", // 86: ど,ド,ﾄﾞ,と゛,ト゛
    "\x82\xCE,\x83o,\xCA\xDE,\x82\xCD\x81J,\x83n\x81J,\x83\x94\x83@,\x82\xA4\x81J\x82\x9F,\x83" "E\x81J\x83@,\xB3\xDE\xA7", // 87: ば,バ,ﾊﾞ,は゛,ハ゛,ヴァ,う゛ぁ,ウ゛ァ,ｳﾞｧ
    "\x82\xD1,\x83r,\xCB\xDE,\x82\xD0\x81J,\x83q\x81J,\x83\x94\x83" "B,\x82\xA4\x81J\x82\xA1,\x83" "E\x81J\x83" "B,\xB3\xDE\xA8", // 88: び,ビ,ﾋﾞ,ひ゛,ヒ゛,ヴィ,う゛ぃ,ウ゛ィ,ｳﾞｨ
    "\x82\xD4,\x83u,\xCC\xDE,\x82\xD3\x81J,\x83t\x81J,\x83\x94,\x83" "E\x81J,\x82\xA4\x81J,\xB3\xDE", // 89: ぶ,ブ,ﾌﾞ,ふ゛,フ゛,ヴ,ウ゛,う゛,ｳﾞ
    "\x82\xD7,\x83x,\xCD\xDE,\x82\xD6\x81J,\x83w\x81J,\x83\x94\x83" "F,\x82\xA4\x81J\x82\xA5,\x83" "E\x81J\x83" "F,\xB3\xDE\xAA", // 90: べ,ベ,ﾍﾞ,へ゛,ヘ゛,ヴェ,う゛ぇ,ウ゛ェ,ｳﾞｪ
    "\x82\xDA,\x83{,\xCE\xDE,\x82\xD9\x81J,\x83z\x81J,\x83\x94\x83H,\x82\xA4\x81J\x82\xA7,\x83" "E\x81J\x83H,\xB3\xDE\xAB", // 91: ぼ,ボ,ﾎﾞ,ほ゛,ホ゛,ヴォ,う゛ぉ,ウ゛ォ,ｳﾞｫ
    "\x82\xCF,\x83p,\xCA\xDF,\x82\xCD\x81K,\x83n\x81K", // 92: ぱ,パ,ﾊﾟ,は゜,ハ゜
    "\x82\xD2,\x83s,\xCB\xDF,\x82\xD0\x81K,\x83q\x81K", // 93: ぴ,ピ,ﾋﾟ,ひ゜,ヒ゜
    "\x82\xD5,\x83v,\xCC\xDF,\x82\xD3\x81K,\x83t\x81K", // 94: ぷ,プ,ﾌﾟ,ふ゜,フ゜
    "\x82\xD8,\x83y,\xCD\xDF,\x82\xD6\x81K,\x83w\x81K", // 95: ぺ,ペ,ﾍﾟ,へ゜,ヘ゜
    "\x82\xDB,\x83|,\xCE\xDF,\x82\xD9\x81K,\x83z\x81K", // 96: ぽ,ポ,ﾎﾟ,ほ゜,ホ゜
    "\x82\xA0,\x83" "A,\xB1,\x82\x9F,\x83@,\xA7", // 97: あ,ア,ｱ,ぁ,ァ,ｧ
    "\x82\xA2,\x83" "C,\xB2,\x82\xA1,\x83" "B,\xA8", // 98: い,イ,ｲ,ぃ,ィ,ｨ
    "\x82\xA4,\x83" "E,\xB3,\x82\xA3,\x83" "D,\xA9", // 99: う,ウ,ｳ,ぅ,ゥ,ｩ
    "\x82\xA6,\x83G,\xB4,\x82\xA5,\x83" "F,\xAA", // 100: え,エ,ｴ,ぇ,ェ,ｪ
    "\x82\xA8,\x83I,\xB5,\x82\xA7,\x83H,\xAB", // 101: お,オ,ｵ,ぉ,ォ,ｫ
    "\x82\xA9,\x83J,\xB6", // 102: か,カ,ｶ
    "\x82\xAB,\x83L,\xB7", // 103: き,キ,ｷ
    "\x82\xAD,\x83N,\xB8", // 104: く,ク,ｸ
    "\x82\xAF,\x83P,\xB9", // 105: け,ケ,ｹ
    "\x82\xB1,\x83R,\xBA", // 106: こ,コ,ｺ
    "\x82\xB3,\x83T,\xBB", // 107: さ,サ,ｻ
    "\x82\xB5,\x83V,\xBC", // 108: し,シ,ｼ
    "\x82\xB7,\x83X,\xBD", // 109: す,ス,ｽ
    "\x82\xB9,\x83Z,\xBE", // 110: せ,セ,ｾ
    "\x82\xBB,\x83\\,\xBF", // 111: そ,ソ,ｿ
    "\x82\xBD,\x83^,\xC0", // 112: た,タ,ﾀ
    "\x82\xBF,\x83`,\xC1", // 113: ち,チ,ﾁ
    "\x82\xC2,\x83" "c,\xC2,\x82\xC1,\x83" "b,\xAF", // 114: つ,ツ,ﾂ,っ,ッ,ｯ
    "\x82\xC4,\x83" "e,\xC3", // 115: て,テ,ﾃ
    "\x82\xC6,\x83g,\xC4", // 116: と,ト,ﾄ
    "\x82\xC8,\x83i,\xC5", // 117: な,ナ,ﾅ
    "\x82\xC9,\x83j,\xC6", // 118: に,ニ,ﾆ
    "\x82\xCA,\x83k,\xC7", // 119: ぬ,ヌ,ﾇ
    "\x82\xCB,\x83l,\xC8", // 120: ね,ネ,ﾈ
    "\x82\xCC,\x83m,\xC9", // 121: の,ノ,ﾉ
    "\x82\xCD,\x83n,\xCA", // 122: は,ハ,ﾊ
    "\x82\xD0,\x83q,\xCB", // 123: ひ,ヒ,ﾋ
    "\x82\xD3,\x83t,\xCC", // 124: ふ,フ,ﾌ
    "\x82\xD6,\x83w,\xCD", // 125: へ,ヘ,ﾍ
    "\x82\xD9,\x83z,\xCE", // 126: ほ,ホ,ﾎ
    "\x82\xDC,\x83},\xCF", // 127: ま,マ,ﾏ
    "\x82\xDD,\x83~,\xD0", // 128: み,ミ,ﾐ
    "\x82\xDE,\x83\x80,\xD1", // 129: む,ム,ﾑ
    "\x82\xDF,\x83\x81,\xD2", // 130: め,メ,ﾒ
    "\x82\xE0,\x83\x82,\xD3", // 131: も,モ,ﾓ
    "\x82\xE2,\x83\x84,\xD4,\x82\xE1,\x83\x83,\xAC", // 132: や,ヤ,ﾔ,ゃ,ャ,ｬ
    "\x82\xE4,\x83\x86,\xD5,\x82\xE3,\x83\x85,\xAD", // 133: ゆ,ユ,ﾕ,ゅ,ュ,ｭ
    "\x82\xE6,\x83\x88,\xD6,\x82\xE5,\x83\x87,\xAE", // 134: よ,ヨ,ﾖ,ょ,ョ,ｮ
    "\x82\xE7,\x83\x89,\xD7", // 135: ら,ラ,ﾗ
    "\x82\xE8,\x83\x8A,\xD8", // 136: り,リ,ﾘ
    "\x82\xE9,\x83\x8B,\xD9", // 137: る,ル,ﾙ
    "\x82\xEA,\x83\x8C,\xDA", // 138: れ,レ,ﾚ
    "\x82\xEB,\x83\x8D,\xDB", // 139: ろ,ロ,ﾛ
    "\x82\xED,\x83\x8F,\xDC,\x82\xA4\x82\x9F,\x83" "E\x83@,\xB3\xA7", // 140: わ,ワ,ﾜ,うぁ,ウァ,ｳｧ
    "\x83\x90,\x82\xEE,\x82\xA4\x82\xA1,\x83" "E\x83" "B,\xB3\xA8", // 141: ヰ,ゐ,うぃ,ウィ,ｳｨ
    "\x83\x91,\x82\xEF,\x82\xA4\x82\xA5,\x83" "E\x83" "F,\xB3\xAA", // 142: ヱ,ゑ,うぇ,ウェ,ｳｪ
    "\x82\xF0,\x83\x92,\xA6,\x82\xA4\x82\xA7,\x83" "E\x83H,\xB3\xAB", // 143: を,ヲ,ｦ,うぉ,ウォ,ｳｫ
    "\xDE,\x81J", // 144: ﾞ,゛
    "\xDF,\x81K", // 145: ﾟ,゜
};
// clang-format on

} // namespace

std::span<const std::string_view> BasicFuzzyCharRows() {
  return kRows;
}

const TREDictionary& BasicFuzzyCharDic() {
  static const TREDictionary dictionary = [] {
    TREDictionary rows;
    rows.reserve(kRows.size());
    for (const std::string_view row : kRows) {
      rows.push_back(SplitCommaText(row));
    }
    return rows;
  }();
  return dictionary;
}

} // namespace zorbe
