// On the favourites page (a local file titled "favorites"): rows imported from a browser's
// bookmarks carry their folder (data-folder, "新闻/国内"); a heading row goes before each run
// of rows of one folder. Only the page shown changes, never the file.
(function () {
    if (location.protocol !== "file:" || document.title.toLowerCase() !== "favorites" ||
        document.querySelector("tr.lumaro-folder"))
        return;
    let previous = "";
    for (const row of Array.from(document.querySelectorAll("tr"))) {
        if (!row.querySelector("input[type=button]"))
            continue; // not an entry row
        const folder = row.getAttribute("data-folder") || "";
        if (folder === previous)
            continue;
        previous = folder;
        const heading = document.createElement("tr");
        heading.className = "lumaro-folder";
        const cell = document.createElement("td");
        cell.colSpan = 3;
        cell.textContent = folder ? "文件夹：" + folder.split("/").join(" › ") : "（不在文件夹中）";
        cell.style.cssText = "font-weight: bold; padding-top: 10px; border-bottom: 2px solid #9bb;";
        heading.appendChild(cell);
        row.parentNode.insertBefore(heading, row);
    }
})();
