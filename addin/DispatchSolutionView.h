// The walk's view onto the environment's automation model, through late-bound IDispatch calls.
#pragma once

#include "win/Automation.h"
#include "catalogue/SolutionView.h"

namespace sprig {

class DispatchSolutionView final : public SolutionView {
public:
    // `root` is the environment's DTE2 object.
    explicit DispatchSolutionView(ComPtr<IDispatch> root) : root_(std::move(root)) {}

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
    HostObject Give(ComPtr<IDispatch> object);
    HostText Give(Bstr text);
    void Release(void* object) override;
    void Release(const char16_t* text) override;

    ComPtr<IDispatch> root_;
};

}  // namespace sprig
