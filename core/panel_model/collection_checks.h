#pragma once

// The checks a collection gets each time its catalogue is loaded, beyond what
// each file's reader checks: the manifest of our builder (every file of one
// build), and the catalogue against its volume store. Each finding is told
// through the message sink, naming the file.

#include <filesystem>
#include <string>

#include "core/common/message_sink.h"
#include "core/panel_model/contents_catalogue.h"
#include "core/store/filelist.h"

namespace quillwen {

// "Index-idx.h はこのコレクションのものではありません（別のビルドのファイルです）。"
std::u16string ForeignFileMessage(const std::string& name);
inline constexpr char16_t kUnreadableCollectionFileMessage[] =
    u"このコレクションのファイルを読めません。";
inline constexpr char16_t kUnreadableManifestMessage[] =
    u"照合表 quillwen-manifest.txt を読めないため、ファイルを照合せずに開きました。";
// After the collection was rebuilt while the reader had it open.
inline constexpr char16_t kCollectionRebuiltMessage[] =
    u"コレクションが更新されました。新しいコレクションを開き直しました。";

// Checks the files of `folder` against its manifest, and the catalogue against
// `store`, and tells `messages` what does not belong.
void ReportCollectionChecks(const std::filesystem::path& folder, const ContentsCatalogue& catalogue,
                            const CFileList& store, MessageSink& messages);

}  // namespace quillwen
