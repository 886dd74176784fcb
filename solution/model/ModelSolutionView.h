// The walk's view straight onto an in-memory model, with the model's faults applied: a failure and
// a null result both give nothing here.
#pragma once

#include <list>
#include <string>

#include "catalogue/SolutionView.h"
#include "solution/model/SolutionModel.h"

namespace sprig::model {

class ModelSolutionView : public SolutionView {
public:
    explicit ModelSolutionView(SolutionModel& model) : model_(model) {}

    // Objects handed out and not yet given back.
    long LiveObjects() const { return live_; }

    HostObject Solution() override;
    HostObject Projects(const HostObject& solution) override;
    std::optional<std::int32_t> ProjectCount(const HostObject& projects) override;
    HostObject Project(const HostObject& projects, std::int32_t index) override;
    HostText ProjectName(const HostObject& project) override;
    HostObject ProjectItems(const HostObject& project) override;
    std::optional<std::int32_t> ItemCount(const HostObject& items) override;
    HostObject Item(const HostObject& items, std::int32_t index) override;
    HostText ItemKind(const HostObject& item) override;
    HostText ItemFileName(const HostObject& item, std::int16_t index) override;
    HostObject ItemChildren(const HostObject& item) override;
    HostText ItemName(const HostObject& item) override;
    HostObject SubProject(const HostObject& item) override;
    const void* Identity(const HostObject& object) override;

private:
    HostObject Give(const Node& owner, Member member, void* object);
    HostText GiveText(const Node& owner, Member member, const std::u16string& text);
    void Release(void* object) override;
    void Release(const char16_t* text) override;

    SolutionModel& model_;
    long live_ = 0;
    std::list<std::u16string> composed_;  // texts given out that the model does not hold
};

}  // namespace sprig::model
