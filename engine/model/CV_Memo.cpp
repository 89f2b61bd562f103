#include "engine/model/CV_Memo.h"

#include "engine/model/CV_StreamForms.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

enum : uint16_t { ssItalic = 1, ssBold = 2, ssUnderline = 4, ssStrikeOut = 8 };

constexpr std::pair<uint16_t, uint8_t> kStyleBits[] = {
    {ssItalic, emf::fsItalic}, {ssBold, emf::fsBold}, {ssUnderline, emf::fsUnderline}, {ssStrikeOut, emf::fsStrikeOut}};

}  // namespace

uint8_t StyleFromStream(uint16_t stored) {
    uint8_t style = 0;
    for (auto [streamBit, canvasBit] : kStyleBits)
        if (stored & streamBit) style |= canvasBit;
    return style;
}

uint16_t StyleToStream(uint8_t style) {
    uint16_t stored = 0;
    for (auto [streamBit, canvasBit] : kStyleBits)
        if (style & canvasBit) stored |= streamBit;
    return stored;
}

emf::CanvasFont TcvFont::ToCanvasFont() const {
    emf::CanvasFont font;
    font.name = Name;
    font.SetSize(Size);
    font.style = Style;
    font.color = ColorToRGB(Color);
    return font;
}

int32_t TcvFont::Height() const { return ToCanvasFont().height; }

TcvMemoView::TcvMemoView(TcvReport* report, const char* className) : TcvCustomMemoView(report, className) {
    ObjectType = otMemo;
    LineHeight = 2 - Font.Height();
}

void TcvMemoView::Assign(const TcvView& source) {
    TcvView::Assign(source);
    auto* s = dynamic_cast<const TcvMemoView*>(&source);
    if (!s) return;
    Font = s->Font;
    Alignment = s->Alignment;
    HighlightStyle = s->HighlightStyle;
    HighlightFontColor = s->HighlightFontColor;
    HighlightFillColor = s->HighlightFillColor;
    HighlightActive = s->HighlightActive;
    HighlightCondition = s->HighlightCondition;
}

void TcvMemoView::LoadFromStream(Stream& stream) {
    TcvView::LoadFromStream(stream);
    Font.Name = ReadLineField(stream);
    Font.Size = stream.ReadI32();
    if (Font.Size < kMinFontSize || Font.Size > kMaxFontSize) Font.Size = 10;
    Font.Style = StyleFromStream(stream.ReadU16());
    Font.Color = stream.ReadU32();
    Alignment = stream.ReadU32();
    HighlightStyle = StyleFromStream(stream.ReadU16());
    HighlightFontColor = stream.ReadU32();
    HighlightFillColor = stream.ReadU32();
    HighlightActive = stream.ReadU16();
    HighlightCondition = ReadLineField(stream);
    if (StreamVersion == 21) Flags |= mfWordWrap;
    LineHeight = 2 - Font.Height();
}

void TcvMemoView::SaveToStream(Stream& stream) const {
    TcvView::SaveToStream(stream);
    WriteLineField(stream, Font.Name);
    stream.WriteI32(Font.Size);
    stream.WriteU16(StyleToStream(Font.Style));
    stream.WriteU32(Font.Color);
    stream.WriteU32(Alignment);
    stream.WriteU16(StyleToStream(HighlightStyle));
    stream.WriteU32(HighlightFontColor);
    stream.WriteU32(HighlightFillColor);
    stream.WriteU16(HighlightActive);
    WriteLineField(stream, HighlightCondition);
}

void TcvMemoView::CheckStreamForm() const {
    TcvView::CheckStreamForm();
    if (!FitsLineField(Font.Name) || !FitsLineField(HighlightCondition))
        RefuseToSave("l'oggetto " + Name + " ha un carattere o una condizione oltre i 65535 caratteri.");
}

void TcvMemoView::DefinePopupMenu(TcvPopupMenu& menu) {
    menu.push_back({"Formatta variabile...", 0});
    menu.push_back({"", 0});
    menu.push_back({"Adattato", 0x01});
    menu.push_back({"A capo", 0x02});
    menu.push_back({"Largezza automatica", 0x04});
}

}  // namespace tessaly
