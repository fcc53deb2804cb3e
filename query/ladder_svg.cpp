#include "query/ladder_svg.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "common/utf8.h"

namespace tianti::query {

namespace {

// Where the figures come from (data/facts/README.md).
constexpr std::string_view kCpuSource = "PassMark CPU Mark";
constexpr std::string_view kGpuSource = "PassMark G3D Mark";
constexpr std::string_view kDataDate = "2026 年 4 月";

// The page, in pixels: the tier strip and the tick labels left of the
// columns, the caption above them, each column's head above and below them.
constexpr int kMargin = 16;
constexpr int kTierStrip = 44;
constexpr int kTickLabels = 60;
constexpr int kChartLeft = kMargin + kTierStrip + kTickLabels;
constexpr int kColumnWidth = 420;
constexpr int kMinWidth = 1000;
constexpr int kColumnHead = 26;
constexpr int kCaption = 112;  // title and three lines
constexpr int kChartTop = kCaption + kColumnHead + 8;
constexpr int kFooter = 8 + kColumnHead + 30;
constexpr int kRowHeight = 16;  // a 12 px label and its leading
constexpr int kTierLabelRepeat = 1200;

// 旗舰 to 办公: the band behind the columns and the strip with the name.
constexpr std::string_view kBandFill[kTiers] = {"#fde6e6", "#fdeedc", "#fcf6d9", "#e7f3e4", "#e8eef7"};
constexpr std::string_view kStripFill[kTiers] = {"#d9464f", "#e3822f", "#c9a21c", "#4f9a4f", "#5279b8"};

constexpr std::string_view kStyle =
    "<style>"
    "text{font-family:\"Microsoft YaHei\",\"PingFang SC\",\"Hiragino Sans GB\",\"Noto Sans CJK SC\","
    "\"Source Han Sans SC\",\"WenQuanYi Micro Hei\",\"Droid Sans Fallback\",sans-serif;font-size:12px;fill:#222}"
    ".t{font-size:24px;font-weight:bold}"
    ".c{font-size:13px;fill:#444}"
    ".h{font-size:15px;font-weight:bold;fill:#fff;text-anchor:middle}"
    ".s{text-anchor:end;fill:#555}"
    ".k{text-anchor:end;fill:#777;font-size:11px}"
    ".b{font-size:14px;font-weight:bold;fill:#fff;text-anchor:middle}"
    ".m{font-weight:bold;fill:#000}"
    ".n{text-anchor:end;font-weight:bold;fill:#8a4b00}"
    ".g{stroke:#b8b8b8;stroke-width:1;stroke-dasharray:3 3}"
    ".v{stroke:#cfcfcf;stroke-width:1}"
    ".mk{fill:#ffd54a;stroke:#c88a00;stroke-width:1}"
    "</style>\n";

class Svg {
 public:
  void Raw(std::string_view text) { out_.append(text.data(), text.size()); }
  void Int(long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out_.append(digits, end);
  }
  // Text content or an attribute value, escaped. What XML cannot hold even
  // escaped (control characters, U+FFFE, U+FFFF, lone surrogates) becomes
  // U+FFFD.
  void Text(std::u16string_view text) {
    // ASCII goes through a buffer, appended a run at a time.
    char run[256];
    std::size_t n = 0;
    auto put = [&](std::string_view bytes) {
      if (n + bytes.size() > sizeof run) {
        out_.append(run, n);
        n = 0;
      }
      for (char b : bytes) run[n++] = b;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (c >= 0x80) {
        char32_t code_point = c;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
          code_point = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if ((c >= 0xD800 && c < 0xE000) || c >= 0xFFFE) {
          code_point = 0xFFFD;
        }
        out_.append(run, n);
        n = 0;
        AppendUtf8(out_, code_point);
        continue;
      }
      switch (c) {
        case u'&':
          put("&amp;");
          break;
        case u'<':
          put("&lt;");
          break;
        case u'>':
          put("&gt;");
          break;
        case u'"':
          put("&quot;");
          break;
        case u'\'':
          put("&apos;");
          break;
        default:
          if (c < 0x20) {
            put("\xEF\xBF\xBD");  // U+FFFD
          } else {
            if (n == sizeof run) {
              out_.append(run, n);
              n = 0;
            }
            run[n++] = static_cast<char>(c);
          }
      }
    }
    out_.append(run, n);
  }
  // <text class="cls" x="x" y="y">
  void OpenText(std::string_view cls, int x, int y) {
    Raw("<text");
    if (!cls.empty()) {
      Raw(" class=\"");
      out_ += cls;
      out_ += '"';
    }
    Coordinates(x, y);
    out_ += '>';
  }
  void TextLine(std::string_view cls, int x, int y, std::u16string_view text) {
    OpenText(cls, x, y);
    Text(text);
    Raw("</text>\n");
  }
  void Rect(int x, int y, int width, int height, std::string_view fill) {
    Raw("<rect");
    Coordinates(x, y);
    Attribute("width", width);
    Attribute("height", height);
    Raw(" fill=\"");
    out_ += fill;
    Raw("\"/>\n");
  }
  void Line(std::string_view cls, int x1, int y1, int x2, int y2) {
    Raw("<line class=\"");
    out_ += cls;
    out_ += '"';
    Attribute("x1", x1);
    Attribute("y1", y1);
    Attribute("x2", x2);
    Attribute("y2", y2);
    Raw("/>\n");
  }
  void Attribute(std::string_view name, long long value) {
    out_ += ' ';
    out_ += name;
    Raw("=\"");
    Int(value);
    out_ += '"';
  }
  void Coordinates(int x, int y) {
    Attribute("x", x);
    Attribute("y", y);
  }
  std::string& str() { return out_; }

 private:
  std::string out_;
};

// A short piece of markup built on the stack.
class Line {
 public:
  void Put(std::string_view text) {
    for (char c : text) buffer_[size_++] = c;
  }
  void Int(int value) {
    size_ = static_cast<std::size_t>(std::to_chars(buffer_ + size_, buffer_ + sizeof buffer_, value).ptr - buffer_);
  }
  std::string_view view() const { return {buffer_, size_}; }

 private:
  char buffer_[96];
  std::size_t size_ = 0;
};

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }
std::u16string Number(long long value) { return Ascii(std::to_string(value)); }
std::u16string Utf16(std::string_view utf8) { return FromUtf8(utf8); }

std::u16string RowNumber(const ListRow& row) { return row.list + Number(row.rank); }

void Caption(Svg& svg, const Ladder& ladder, std::u16string_view query, int marks, int width) {
  const bool cpu = ladder.list == u'C';
  svg.Raw("<title>");
  svg.Text(cpu ? u"CPU 天梯图" : u"GPU 显卡天梯图");
  svg.Raw("</title>\n");
  svg.Rect(0, 0, width, kCaption, "#ffffff");
  const std::u16string title = cpu ? u"CPU 天梯图" : u"GPU 显卡天梯图";
  svg.TextLine("t", kMargin, 36, query.empty() ? title : title + u"：" + std::u16string(query));

  const std::u16string shown = Number(static_cast<long long>(ladder.rows.size()));
  std::u16string line = u"数据：" + Utf16(cpu ? kCpuSource : kGpuSource) + u" 得分，" + Utf16(kDataDate) +
                        u"发布的公开榜单，得分越高越强 · " + (query.empty() ? u"全榜 " : u"图中 ") + shown + u" 款";
  if (marks > 0) line += u" · 标记 " + Number(marks) + u" 款（黄底，前为编号）";
  svg.TextLine("c", kMargin, 62, line);

  const std::u16string best = Number(ladder.best);
  svg.TextLine("c", kMargin, 82,
               u"分档：得分不低于榜首（" + best +
                   u"）的 1/2 为旗舰，1/4 为高端，1/8 为中端，1/16 为入门，更低为办公；CPU 与 GPU 同一规则。");
  svg.TextLine("c", kMargin, 102,
               u"纵轴为得分，各列共用，同一高度性能相近；一列中挤不下时，纵轴在该处拉长，所以刻度不等距。");
}

void ColumnHeads(Svg& svg, const Ladder& ladder, int top) {
  svg.Rect(kChartLeft, top, kColumnWidth * static_cast<int>(ladder.columns.size()), kColumnHead, "#3a3a3a");
  for (std::size_t c = 0; c < ladder.columns.size(); ++c) {
    const int x = kChartLeft + static_cast<int>(c) * kColumnWidth;
    svg.TextLine("h", x + kColumnWidth / 2, top + 18, ladder.columns[c].name);
  }
  svg.TextLine("k", kChartLeft - 6, top + 18, u"得分");
}

void Bands(Svg& svg, const Ladder& ladder) {
  const int right = kChartLeft + kColumnWidth * static_cast<int>(ladder.columns.size());
  for (const LadderBand& band : ladder.bands) {
    const int top = kChartTop + band.top, height = band.bottom - band.top;
    svg.Rect(kMargin, top, right - kMargin, height, kBandFill[band.tier]);
    svg.Rect(kMargin, top, kTierStrip - 4, height, kStripFill[band.tier]);
    if (height < 18) continue;
    for (int y = top + 20; y < top + height - 4; y += kTierLabelRepeat) {
      svg.TextLine("b", kMargin + (kTierStrip - 4) / 2, y, TierName(band.tier));
    }
  }
}

void Rows(Svg& svg, const Ladder& ladder) {
  const auto columns = static_cast<int>(ladder.columns.size());
  for (const LadderTick& tick : ladder.ticks) {
    const int y = kChartTop + tick.y;
    svg.Line("g", kChartLeft, y, kChartLeft + columns * kColumnWidth, y);
    svg.OpenText("k", kChartLeft - 6, y + 4);
    svg.Int(tick.score);
    svg.Raw("</text>\n");
  }
  for (int c = 0; c <= columns; ++c) {
    const int x = kChartLeft + c * kColumnWidth;
    svg.Line("v", x, kChartTop, x, kChartTop + ladder.height);
  }
  if (ladder.rows.empty()) {
    svg.TextLine("c", kChartLeft + 8, kChartTop + 20, u"没有符合条件的硬件。");
    return;
  }
  for (const LadderRow& row : ladder.rows) {
    const int x = kChartLeft + row.column * kColumnWidth;
    const int y = kChartTop + row.top;
    if (row.marked) {
      svg.Raw("<g class=\"mark\" id=\"mark-");
      svg.Text(RowNumber(row.row));
      svg.Raw("\">");
      svg.Raw("<rect class=\"mk\"");
      svg.Coordinates(x + 2, y);
      svg.Attribute("width", kColumnWidth - 4);
      svg.Attribute("height", kRowHeight);
      svg.Raw("/>");
      svg.TextLine("n", x + kColumnWidth - 50, y + 12, RowNumber(row.row));
    }
    // The one element of every row, so written with few appends:
    // <text x="" y="">description<tspan class="s" x="">score</tspan></text>
    Line line;
    line.Put(row.marked ? "<text class=\"m\" x=\"" : "<text x=\"");
    line.Int(x + 6);
    line.Put("\" y=\"");
    line.Int(y + 12);
    line.Put("\">");
    svg.Raw(line.view());
    svg.Text(row.row.description);
    line = Line();
    line.Put("<tspan class=\"s\" x=\"");
    line.Int(x + kColumnWidth - 6);
    line.Put("\">");
    line.Int(row.row.score);
    line.Put("</tspan></text>\n");
    svg.Raw(line.view());
    if (row.marked) svg.Raw("</g>\n");
  }
}

}  // namespace

std::u16string QueryCaption(const Terms& terms) {
  if (terms.main.empty()) return {};
  const Rule rule = ChooseRule(terms);
  std::u16string text = terms.main;
  if (rule == Rule::kMainAndAlso) return text + u" 且 " + terms.also;
  // Rules c, d and e: OR 1, OR 1 and 2, OR 1 to 3.
  if (rule == Rule::kMain) return text;
  text += u" 或 " + terms.or1;
  if (rule == Rule::kMainOrOne) return text;
  text += u" 或 " + terms.or2;
  if (rule == Rule::kMainOrTwo) return text;
  return text + u" 或 " + terms.or3;
}

std::string LadderSvgText(const Ladder& ladder, std::u16string_view query) {
  if (ladder.row_height != kRowHeight) throw std::invalid_argument("the SVG draws 16-unit rows");
  // Wide enough for the caption when a query finds one maker's devices only.
  const int width = std::max(kMinWidth, kChartLeft + kColumnWidth * static_cast<int>(ladder.columns.size()) + kMargin);
  const int height = kChartTop + ladder.height + kFooter;
  int marks = 0;
  for (const LadderRow& row : ladder.rows) marks += row.marked ? 1 : 0;

  Svg svg;
  svg.str().reserve(4096 + ladder.rows.size() * 110);
  svg.Raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"");
  svg.Attribute("width", width);
  svg.Attribute("height", height);
  svg.Raw(" viewBox=\"0 0 ");
  svg.Int(width);
  svg.Raw(" ");
  svg.Int(height);
  svg.Raw("\">\n");
  svg.Raw(kStyle);
  svg.Rect(0, 0, width, height, "#ffffff");
  Caption(svg, ladder, query, marks, width);
  ColumnHeads(svg, ladder, kCaption);
  Bands(svg, ladder);
  Rows(svg, ladder);
  const int bottom = kChartTop + ladder.height + 8;
  ColumnHeads(svg, ladder, bottom);
  svg.TextLine("c", kMargin, bottom + kColumnHead + 20,
               u"天梯 tianti · 数据：" + Utf16(ladder.list == u'C' ? kCpuSource : kGpuSource) + u"，" +
                   Utf16(kDataDate) + u" · 得分摘自公开测评，仅供参考");
  svg.Raw("</svg>\n");
  return std::move(svg.str());
}

std::string LadderSvg(Scope scope, const Terms& terms, const std::vector<ListRow>& marks) {
  const char16_t list = LadderList(scope);
  const int best = RowAt(list, 1)->score;
  LadderGeometry geometry;
  geometry.row_height = kRowHeight;
  const Ladder ladder = LayOutLadder(list, best, LadderEntries(scope, terms, marks), geometry);
  return LadderSvgText(ladder, QueryCaption(terms));
}

}  // namespace tianti::query
