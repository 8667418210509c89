#pragma once
// The HTTP/1.0 client of the version check. (Filled in with the start-up checks.)
namespace zv {

class clsHTTP {};

}  // namespace zv
