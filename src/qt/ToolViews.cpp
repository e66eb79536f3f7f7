#include "qt/ToolViews.h"

#include <QWidget>

#include "dsp/TFormDSP.h"
#include "modulation/TFormBend.h"
#include "modulation/TFormLFO.h"
#include "modulation/TFormRT.h"
#include "modulation/TFormSeq.h"
#include "presets/TFormCc.h"
#include "presets/TFormDrum.h"
#include "presets/TFormKBD.h"
#include "qt/BendWindow.h"
#include "qt/CcWindow.h"
#include "qt/ClockWindow.h"
#include "qt/DrumWindow.h"
#include "qt/DspWindow.h"
#include "qt/KeyboardWindow.h"
#include "qt/LfoWindow.h"
#include "qt/MonitorWindow.h"
#include "qt/SeqWindow.h"
#include "ui/TFormMonitor.h"
#include "ui/ToolWindow.h"

namespace vorpline {

namespace {

using ViewMaker = std::unique_ptr<QWidget> (*)(ToolWindow& window, QWidget* parent);

// The view of `window` if it is a `FormT`.
template <class FormT, class ViewT>
std::unique_ptr<QWidget> ViewOf(ToolWindow& window, QWidget* parent) {
    if (auto* form = dynamic_cast<FormT*>(&window)) {
        return std::make_unique<ViewT>(*form, parent);
    }
    return nullptr;
}

constexpr ViewMaker kViews[] = {
    ViewOf<TFormDSP, DspWindow>,         ViewOf<TFormKBD, KeyboardWindow>,
    ViewOf<TFormCc, CcWindow>,           ViewOf<TFormRT, ClockWindow>,
    ViewOf<TFormLFO, LfoWindow>,         ViewOf<TFormSeq, SeqWindow>,
    ViewOf<TFormBend, BendWindow>,       ViewOf<TFormDrum, DrumWindow>,
    ViewOf<TFormMonitor, MonitorWindow>,
};

} // namespace

std::unique_ptr<QWidget> MakeToolView(ToolWindow& window, QWidget* parent) {
    for (ViewMaker make : kViews) {
        if (std::unique_ptr<QWidget> view = make(window, parent)) {
            return view;
        }
    }
    return nullptr;
}

} // namespace vorpline
