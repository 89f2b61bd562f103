#pragma once
// Band views: the bands as placed on a template page. The band type (0 to 21) is kept in the low
// byte of FrameSides; FormatText names a data band's dataset or holds a group header's condition;
// Flags holds the band options, each effective only for some band types.
#include "engine/model/CV_BandType.h"
#include "engine/model/CV_View.h"

namespace tessaly {


// Band types that have a dataset: master, detail, sub-detail and table data.
bool IsDataBandType(int bandType);
// Table bands (18 to 20) are vertical: they span the page's height.
bool IsVerticalBandType(int bandType);
// The bit of Flags is an option of this band type (the option menu offers it and the band engine
// takes it into account); any other bit is ignored.
bool BandOptionEffective(int bandType, uint16_t bit);

// Band options, bits of Flags.
enum : uint16_t {
    boStretched = 0x01,
    boForceNewPage = 0x02,
    boPrintIfDetailEmpty = 0x04,
    boCanSplit = 0x08,
    boFillList = 0x10,
};

class TcvBandView : public TcvView {
public:
    explicit TcvBandView(TcvReport* report, const char* className = "TcvBandView");

    uint8_t BandType() const { return static_cast<uint8_t>(FrameSides & 0xFF); }
    void SetBandType(uint8_t type) { FrameSides = type; }

    bool IsDataBand() const override { return IsDataBandType(BandType()); }
    // Design mode only: the band across the page, filled with the checker brush, and its caption
    // tab with the band type's name.
    void Draw(emf::RecordingCanvas& canvas) override;
    QRegion GetClipRegion(bool extended) const override;
    void DefinePopupMenu(TcvPopupMenu& menu) override;

    // The band as it is drawn: across the page width from x = 0 (horizontal), or down the page
    // height from y = 0 (vertical); the page's size when the band is on a page, else its own.
    emf::RectL BandRect() const;
    // The caption tab: 130 x 18 above the band's top left corner, or 18 x 130 left of it.
    emf::RectL CaptionRect() const;
};

}  // namespace tessaly
