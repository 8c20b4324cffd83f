// The application class, the document type, the exception callback and the
// plug-in entry points, each on its own.
#include <gtest/gtest.h>

#include <stdexcept>

#include "CallRecorder.h"
#include "app/App.h"
#include "app/DocumentType.h"
#include "app/Startup.h"
#include "framework/Controls.h"
#include "framework/Plugins.h"
#include "framework/UnhandledException.h"

using namespace fw;

TEST(AppClass, DescribesApplicationsTwelveMembersThenItsOwnFourAndBindsOnlyOpen) {
    const ClassRecord* record = GetAppClass();
    EXPECT_EQ(record->name, "App");
    EXPECT_EQ(record->super, GetApplicationClass());
    std::vector<std::string> inherited;
    for (size_t i = 0; i < record->ownMembersStart; ++i) inherited.push_back(record->vtable[i].name);
    EXPECT_EQ(inherited, (std::vector<std::string>{"AddTrayItem", "DoEvents", "NewDocument", "OpenDocument",
                                                    "RemoveTrayItem", "SleepCurrentThread", "YieldToNextThread",
                                                    "_AddMenuHandler", "_AddPollableObject", "_DoSingleEvent",
                                                    "_RemovePollableObject", "__DependencyList"}));
    const std::pair<const char*, const char*> own[] = {
        {"Event_Open", "%%"}, {"_AboutMenue_Action", "%b%"}, {"InitializeApplication", "%%"}, {"Constructor", "%%"}};
    const auto members = record->OwnMembers();
    ASSERT_EQ(members.size(), std::size(own));
    for (size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i]->name, own[i].first);
        EXPECT_EQ(members[i]->signature, own[i].second) << own[i].first;
        EXPECT_EQ(members[i]->attributes.size(), 1u) << own[i].first;
        EXPECT_EQ(AttributeValue(members[i]->attributes, "__Scope"), "Public") << own[i].first;
    }
    EXPECT_EQ(record->events, (std::vector<std::pair<std::string, std::string>>{{"Open", "Event_Open"}}));
    App::RegisterClass();
    EXPECT_EQ(GetAppClass(), record) << "a second registration changed the record";
}

TEST(AppClass, GetAppInstanceIsTheRegisteredObjectTypedAsApp) {
    EXPECT_EQ(GetAppInstance(), Nil);
    Ref<Object> app = RuntimeNewObject(GetAppClass());
    RuntimeRegisterAppObject(DynamicCast<Application>(app));
    EXPECT_EQ(GetAppInstance(), app);
    RuntimeRegisterAppObject(DynamicCast<Application>(RuntimeNewObject(GetApplicationClass())));
    EXPECT_THROW(GetAppInstance(), IllegalCastException);
    RuntimeRegisterAppObject(Nil);
}

TEST(DocumentType, IsMadeRegisteredOnceAndReleased) {
    CallRecorder recorder;
    CreateDocumentFileType();
    ASSERT_NE(DocumentFileType, Nil);
    EXPECT_EQ(DocumentFileType->Name(), String("text/eml"));
    EXPECT_EQ(DocumentFileType->Extensions(), String(".eml;.emlx"));
    EXPECT_EQ(DocumentFileType->MacType(), String("????"));
    EXPECT_EQ(DocumentFileType->MacCreator(), String("????"));
    EXPECT_EQ(DocumentFileType->Operator_Convert(), String("text/eml"));
    EXPECT_EQ(recorder.Starting("RuntimeRegisterFileType").size(), 1u) << "registered again";
    bool registered = false;
    for (const RegisteredFileType& t : RegisteredFileTypes())
        registered |= t.name == String("text/eml") && t.extensions == String(".eml;.emlx") &&
                      t.type == String("????") && t.creator == String("????");
    EXPECT_TRUE(registered);

    WeakRef<FileType> weak(DocumentFileType);
    DocumentTypeModuleRelease();
    EXPECT_EQ(DocumentFileType, Nil);
    EXPECT_TRUE(weak.Expired());
    recorder.calls.clear();
    DocumentTypeModuleRelease();  // Nil: nothing to release
    EXPECT_TRUE(recorder.calls.empty());
}

namespace {
void Succeeds(void* ran) { *static_cast<bool*>(ran) = true; }
void RaisesRuntimeException(void*) { throw IOException("disk full"); }
void RaisesOtherException(void*) { throw std::logic_error("not the framework's"); }
}  // namespace

TEST(ExceptionHelperCallback, HandsBackARuntimeExceptionAsAnObjectAndLetsOthersPass) {
    bool ran = false;
    EXPECT_EQ(ExceptionHelperCallback(reinterpret_cast<Ptr>(&Succeeds), &ran), Nil);
    EXPECT_TRUE(ran);
    Ref<ExceptionObject> raised =
        DynamicCast<ExceptionObject>(ExceptionHelperCallback(reinterpret_cast<Ptr>(&RaisesRuntimeException), nullptr));
    ASSERT_NE(raised, Nil);
    EXPECT_EQ(raised->Message(), String("disk full"));
    EXPECT_THROW(ExceptionHelperCallback(reinterpret_cast<Ptr>(&RaisesOtherException), nullptr), std::logic_error);
}

TEST(Plugins, BindTheirEntryPointsByNameAndRefuseUnknownOnes) {
    RuntimeInitExternalClasses();
    RuntimeLoadPlugin("BevelButtonPlugin");
    EXPECT_EQ(RuntimeLookupPluginEntrypoint("BevelButton").cls, GetBevelButtonClass());
    const PluginEntrypoint icon = RuntimeLookupPluginEntrypoint("BevelButton.Icon");
    ASSERT_NE(icon.property, nullptr);
    EXPECT_EQ(icon.property->name, "Icon");
    EXPECT_THROW(RuntimeLookupPluginEntrypoint("BevelButton.NoSuchMember"), RuntimeException);
    EXPECT_THROW(RuntimeLookupPluginEntrypoint("PushButton"), RuntimeException) << "built in, not a plug-in";
    EXPECT_THROW(RuntimeLoadPlugin("NoSuchLibrary"), RuntimeException);
    Ref<Application> app = DynamicCast<Application>(RuntimeNewObject(GetApplicationClass()));
    EXPECT_EQ(app->__DependencyList(), String("BevelButtonPlugin\n"));
}
