#include "tests/shell_option/OptionFixture.h"

namespace km27::test {

OptionFixture::OptionFixture() {
  gOptionPage = 0;
  TOptionLinks links = DefaultOptionLinks();
  links.SaveSetupFile = [this] { ++saves; };
  links.LoadLanguage = [this](int index) { languagesLoaded.push_back(index); };
  option = std::make_unique<TfrmOption>(links);
  frmOption = option.get();
}

OptionFixture::~OptionFixture() {
  if (main) {
    main->OptionForm = nullptr;
    main->OnApplyOptionLayout = nullptr;
  }
  frmOption = nullptr;
  option.reset();
}

void OptionFixture::ShowOption() {
  if (!main) {
    CreateMain();
    main->OptionForm = option.get();
    main->OnApplyOptionLayout = [this] { option->ApplyOptionLayout(); };
    RunStartup();
  }
  FakeToolkit::Click(*main, "actShowOption");
  ASSERT_TRUE(option->Showing());
}

}  // namespace km27::test
