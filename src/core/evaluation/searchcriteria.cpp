#include "evaluation/searchcriteria.h"

namespace velmarsk {
namespace {

constexpr SearchFieldInfo kFields[] = {
    {SearchField::Crew, "crew", "CBInCrew"},
    {SearchField::Routing, "routing", "CBinRouting"},
    {SearchField::Comment, "comment", "CBinComment"},
    {SearchField::Tctp, "tctp", "CBinTctp"},
    {SearchField::Callsign, "callsign", "CBinCallsign"},
    {SearchField::Registration, "registration", "CBinRegistration"},
};
static_assert(std::size(kFields) == kSearchFieldCount);

constexpr ProcedureBox kBoxes[] = {
    {"CBLLDay", "Tiefflug", false, "LlDay", false},
    {"CBLLNavDay", "TiefflugNav.", false, "LlNavDay", false},
    {"CBVfrNite", "Nachtflug", true, "VfrNite", false},
    {"CBEmergDay", "Notverfahren", false, "EmergDay", false},
    {"CBEmergNite", "Notverfahren", true, "EmergNite", false},
    {"CBArDay", "Autorotation", false, "ArDay", false},
    {"CBArNite", "Autorotation", true, "ArNite", false},
    {"CBFormDay", "Formation", false, "FormDay", false},
    {"CBFormNite", "Formation", true, "FormNite", false},
    {"CBTFDay", "Tak.Formation", false, "TfDay", false},
    {"CBTFNite", "Tak.Formation", true, "TfNite", false},
    {"CBVertDay", "Senkrecht", false, "VertDay", false},
    {"CBVertNite", "Senkrecht", true, "VertNite", false},
    {"CBWinchDay", "Winde", false, "WinchDay", false},
    {"CBWinchNite", "Winde", true, "WinchNite", false},
    {"CBSearchDay", "Suche", false, "SearchDay", false},
    {"CBSearchNite", "Suche", true, "SearchNite", false},
    {"CBConfDay", "Anflüge", false, "ConfDay", false},
    {"CBConfNite", "Anflüge", true, "ConfNite", false},
    {"CBExtDay", "Außenlast", false, "ExtDay", false},
    {"CBExtNite", "Außenlast", true, "ExtNite", false},
    {"CBIfrDay", "IFR gesamt", false, "IfrGesDay", false},
    {"CBIfrNite", "IFR gesamt", true, "IfrGesNite", false},
    {"CBImcDay", "IMC", false, "ImcDay", false},
    {"CBImcNite", "IMC", true, "ImcNite", false},
    {"CBHoodDay", "Hood", false, "HoodDay", false},
    {"CBSimDay", "Simulator", false, "SimDay", false},
    {"CBSimNite", "Simulator", true, "SimNite", false},
    {"CBPrecDay", "Prec.App.", false, "PrecDay", true},
    {"CBPrecNite", "Prec.App.", true, "PrecNite", true},
    {"CBNPrecDay", "Non-Prec.App", false, "NPrecDay", true},
    {"CBNPrecNite", "Non-Prec.App", true, "NPrecNite", true},
};

}  // namespace

std::span<const SearchFieldInfo> searchFields() {
    return kFields;
}

const SearchFieldInfo* findSearchField(QStringView cliName) {
    for (const auto& f : kFields)
        if (cliName == QLatin1String(f.cliName)) return &f;
    return nullptr;
}

std::span<const ProcedureBox> procedureBoxes() {
    return kBoxes;
}

const ProcedureBox* findProcedureBox(QStringView name) {
    for (const auto& b : kBoxes)
        if (name == QLatin1String(b.name)) return &b;
    return nullptr;
}

bool SearchCriteria::usable() const {
    return (textSearch && !texts[0].isEmpty()) || (procedureSearch && !procedures.isEmpty());
}

}  // namespace velmarsk
