function showHelp() {
    alert("Type to filter the catalogue.");
}
